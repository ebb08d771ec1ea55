#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PictureBox.h"
#include "panel/SkinDressing.h"
#include "platform/fake/FakePlatform.h"
#include "popup/HiddenState.h"
#include "settings/Settings.h"
#include "skins/BuiltInSkin.h"
#include "skins/Skin.h"
#include "skins/Skins.h"

#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio> // before jpeglib.h, which uses FILE
#include <cstdlib>
#include <jpeglib.h>
#include <memory>

using namespace zarvik;

namespace {
// A picture of the given size whose top-left pixel says which file it came from.
QImage marked(QSize size, QRgb color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// The picture as a baseline JPEG in three scans, one per colour component (4:2:0), which
// Qt's writer never makes: its decoder holds the whole picture's coefficients, as for a
// progressive one.
QByteArray baselineInThreeScans(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    static const jpeg_scan_info scans[3] = {{1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}};
    cinfo.scan_info = scans;
    cinfo.num_scans = 3;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        auto* row = const_cast<JSAMPLE*>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray data(reinterpret_cast<const char*>(out), qsizetype(outSize));
    std::free(out);
    return data;
}

bool sameColour(const QPixmap& pixmap, QRgb color)
{
    if (pixmap.isNull())
        return false;
    const QColor seen = pixmap.toImage().pixelColor(2, 2);
    const QColor want(color);
    // JPEG shifts colours a little.
    return qAbs(seen.red() - want.red()) < 12 && qAbs(seen.green() - want.green()) < 12 &&
           qAbs(seen.blue() - want.blue()) < 12;
}

const QRgb kColours[] = {qRgb(200, 0, 0),   qRgb(0, 200, 0),   qRgb(0, 0, 200),  qRgb(200, 200, 0),
                         qRgb(0, 200, 200), qRgb(200, 0, 200), qRgb(90, 90, 90)};
} // namespace

class TestSkins : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        m_platform = std::make_unique<FakePlatform>();
        m_settings = std::make_unique<Settings>(iniPath());
        m_state = std::make_unique<HiddenState>();
        m_panel = std::make_unique<Form3>(*m_platform, *m_settings, *m_state, m_dir.path());
        m_dictionary = std::make_unique<Form1>(m_dir.path());
    }
    void cleanup()
    {
        m_dictionary.reset();
        m_panel.reset();
        m_state.reset();
        m_settings.reset();
        m_platform.reset();
    }

    void builtInPicturesHaveTheirSizes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("panelmain") << QStringLiteral("panelmain.jpg") << QSize(516, 308);
        QTest::newRow("panelbutton1") << QStringLiteral("panelbutton1.jpg") << QSize(17, 27);
        QTest::newRow("panelbutton2") << QStringLiteral("panelbutton2.jpg") << QSize(17, 27);
        QTest::newRow("dictmain") << QStringLiteral("dictmain.jpg") << QSize(378, 207);
        QTest::newRow("dictbutton1") << QStringLiteral("dictbutton1.jpg") << QSize(23, 21);
        QTest::newRow("dictbutton2") << QStringLiteral("dictbutton2.jpg") << QSize(23, 21);
        QTest::newRow("splash") << QStringLiteral("splash.jpg") << QSize(370, 217);
    }
    // The build embeds the committed pictures as raw pixels: each must come out as the file
    // decodes, at its size.
    void builtInPicturesHaveTheirSizes()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        const QImage expected(QStringLiteral(ZARVIK_SOURCE_DIR "/src/skins/builtin/") + file);
        QCOMPARE(expected.size(), size);
        int which = 0;
        while (which < kSkinFileCount && Skin::fileName(Skin::fileAt(which)) != file)
            ++which;
        QVERIFY(which < kSkinFileCount);
        QCOMPARE(BuiltInSkin::picture(Skin::fileAt(which)).toImage().convertToFormat(expected.format()), expected);
    }

    void builtInSkinFillsEveryTarget()
    {
        applyskin(*m_settings, m_dir.path(), *m_panel, m_dictionary.get());
        QCOMPARE(m_panel->Picture1->picture().size(), QSize(516, 308));
        QCOMPARE(m_panel->Picture2->picture().size(), QSize(17, 27));
        QCOMPARE(m_panel->Picture2->picture().toImage(), m_panel->Picture3->picture().toImage());
        QCOMPARE(m_panel->Picture4->picture().size(), QSize(17, 27));
        QVERIFY(m_panel->Picture3->picture().toImage() != m_panel->Picture4->picture().toImage());
        QCOMPARE(m_dictionary->picture().size(), QSize(378, 207));
        QCOMPARE(m_dictionary->Picture1->picture().toImage(), m_dictionary->picclose->picture().toImage());
        QCOMPARE(m_dictionary->picclosepress->picture().size(), QSize(23, 21));
        QVERIFY(m_dictionary->picclose->picture().toImage() != m_dictionary->picclosepress->picture().toImage());
        // The absent skinname reads as the built-in skin and nothing is written.
        QCOMPARE(m_settings->text(Key::skinname, QStringLiteral("<absent>")), QStringLiteral("<absent>"));
    }

    void panelWithoutDictionaryWindow()
    {
        applyskin(*m_settings, m_dir.path(), *m_panel, nullptr);
        QCOMPARE(m_panel->Picture1->picture().size(), QSize(516, 308));
    }

    void folderSkinWithAMissingFileKeepsThatTarget()
    {
        // First the built-in skin, then a folder that lacks the open-handle picture.
        applyskin(*m_settings, m_dir.path(), *m_panel, m_dictionary.get());
        const QImage builtInOpenHandle = m_panel->Picture4->picture().toImage();
        writeSkin(QStringLiteral("test"), {QStringLiteral("panelbutton2.jpg")});
        m_settings->write(Key::skinname, QStringLiteral("test"));

        applyskin(*m_settings, m_dir.path(), *m_panel, m_dictionary.get());
        QVERIFY(sameColour(m_panel->Picture1->picture(), colour(QStringLiteral("panelmain.jpg"))));
        QVERIFY(sameColour(m_panel->Picture2->picture(), colour(QStringLiteral("panelbutton1.jpg"))));
        QVERIFY(sameColour(m_panel->Picture3->picture(), colour(QStringLiteral("panelbutton1.jpg"))));
        QCOMPARE(m_panel->Picture4->picture().toImage(), builtInOpenHandle);
        QVERIFY(sameColour(m_dictionary->picture(), colour(QStringLiteral("dictmain.jpg"))));
        QVERIFY(sameColour(m_dictionary->Picture1->picture(), colour(QStringLiteral("dictbutton1.jpg"))));
        QVERIFY(sameColour(m_dictionary->picclose->picture(), colour(QStringLiteral("dictbutton1.jpg"))));
        QVERIFY(sameColour(m_dictionary->picclosepress->picture(), colour(QStringLiteral("dictbutton2.jpg"))));
        // Other sizes than the built-in ones are taken as they are.
        QCOMPARE(m_panel->Picture1->picture().size(), QSize(40, 30));
        QCOMPARE(m_settings->text(Key::skinname), QStringLiteral("test"));
    }

    void dictionaryWindowAloneTakesTheFolderSkin()
    {
        writeSkin(QStringLiteral("solo"), {});
        m_settings->write(Key::skinname, QStringLiteral("solo"));
        applyskin(*m_settings, m_dir.path(), *m_dictionary);
        QVERIFY(sameColour(m_dictionary->picture(), colour(QStringLiteral("dictmain.jpg"))));
        QVERIFY(sameColour(m_dictionary->picclosepress->picture(), colour(QStringLiteral("dictbutton2.jpg"))));
        QVERIFY(m_panel->Picture1->picture().isNull());
    }

    void skinTest_data()
    {
        QTest::addColumn<QString>("skinname"); // "<absent>": no key
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("corrupt");
        QTest::addColumn<bool>("usable");
        QTest::addColumn<QString>("afterwards");
        const QString builtIn = kBuiltInSkin;
        QTest::newRow("absent: built-in, nothing written")
            << QStringLiteral("<absent>") << QStringList{} << false << true << QStringLiteral("<absent>");
        QTest::newRow("built-in by name") << builtIn << QStringList{} << false << true << builtIn;
        QTest::newRow("complete folder") << QStringLiteral("good") << QStringList{} << false << true
                                         << QStringLiteral("good");
        QTest::newRow("splash missing") << QStringLiteral("good") << QStringList{QStringLiteral("splash.jpg")}
                                        << false << false << builtIn;
        QTest::newRow("panelmain missing (loaded last)")
            << QStringLiteral("good") << QStringList{QStringLiteral("panelmain.jpg")} << false << false << builtIn;
        QTest::newRow("unreadable picture") << QStringLiteral("good") << QStringList{} << true << false << builtIn;
        QTest::newRow("no such folder") << QStringLiteral("nowhere") << QStringList{} << false << false << builtIn;
        QTest::newRow("empty name is a folder name") << QString() << QStringList{} << false << false << builtIn;
    }
    void skinTest()
    {
        QFETCH(QString, skinname);
        QFETCH(QStringList, missing);
        QFETCH(bool, corrupt);
        QFETCH(bool, usable);
        QFETCH(QString, afterwards);
        writeSkin(QStringLiteral("good"), missing);
        if (corrupt) {
            QFile file(Skins::folder(m_dir.path(), QStringLiteral("good")) + QStringLiteral("/dictmain.jpg"));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("not a picture");
        }
        if (skinname != QLatin1String("<absent>"))
            m_settings->write(Key::skinname, skinname);
        QCOMPARE(testskin(*m_settings, m_dir.path()), usable);
        QCOMPARE(m_settings->text(Key::skinname, QStringLiteral("<absent>")), afterwards);
    }

    // A picture far larger than its target is cut to its top-left part while it is read,
    // so a skin of huge pictures cannot take the memory; what a target shows is unchanged.
    void decodeIsBounded_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("kept");
        const QSize bound(1032, 616); // twice the panel's picture on each side
        QTest::newRow("huge") << QSize(3000, 2400) << bound;
        QTest::newRow("wide only") << QSize(2500, 100) << QSize(1032, 100);
        QTest::newRow("tall only") << QSize(60, 2000) << QSize(60, 616);
        QTest::newRow("exactly the bound") << bound << bound;
        QTest::newRow("one past the bound") << QSize(1033, 617) << bound;
        QTest::newRow("small, kept whole") << QSize(40, 30) << QSize(40, 30);
    }
    void decodeIsBounded()
    {
        QFETCH(QSize, size);
        QFETCH(QSize, kept);
        writeSkin(QStringLiteral("big"), {});
        // Left half red, right half blue, and a green block at the top-left corner: the cut
        // must keep the top-left, not shrink the whole.
        QImage image = marked(size, qRgb(200, 0, 0));
        for (int y = 0; y < size.height(); ++y)
            for (int x = size.width() / 2; x < size.width(); ++x)
                image.setPixel(x, y, qRgb(0, 0, 200));
        for (int y = 0; y < qMin(16, size.height()); ++y)
            for (int x = 0; x < qMin(16, size.width()); ++x)
                image.setPixel(x, y, qRgb(0, 200, 0));
        const QString path = Skins::folder(m_dir.path(), QStringLiteral("big")) + QStringLiteral("/panelmain.jpg");
        QVERIFY(image.save(path, "JPG", 95));

        SkinLoader loader(m_dir.path());
        const Skin skin = loader.load(QStringLiteral("big"));
        const QPixmap& picture = skin.picture(SkinFile::panelmain);
        QCOMPARE(picture.size(), kept);
        QVERIFY(sameColour(picture, qRgb(0, 200, 0)));
        const QColor atMiddleLeft = picture.toImage().pixelColor(qMin(kept.width(), size.width() / 2) - 10,
                                                                 kept.height() - 2);
        QVERIFY2(atMiddleLeft.red() > 150 && atMiddleLeft.blue() < 60, "the picture was scaled, not cut");
        QVERIFY(skin.isComplete());
    }

    // Pictures that would cost the decoder far more than their bound, or that are cut short,
    // are unloadable: the skin test then falls back to the built-in skin. Qt writes its
    // progressive JPEGs with 4:2:0 colour, 3 bytes of coefficients per pixel. The bound on
    // what a picture decoded whole may hold is 8 MiB (8388608 bytes) of coefficients.
    void hostilePictures_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("encoding"); // "baseline", "progressive", "three scans"
        QTest::addColumn<double>("keptShare"); // how much of the file is left; 1 = whole
        QTest::addColumn<QByteArray>("appended");
        QTest::addColumn<QSize>("decoded");    // invalid: refused
        const QSize bound(1032, 616);
        const QString baseline = QStringLiteral("baseline"), progressive = QStringLiteral("progressive"),
                      threeScans = QStringLiteral("three scans");
        QTest::newRow("baseline, whole") << QSize(300, 200) << baseline << 1.0 << QByteArray() << QSize(300, 200);
        QTest::newRow("progressive, small") << QSize(300, 200) << progressive << 1.0 << QByteArray() << QSize(300, 200);
        QTest::newRow("progressive above the target bound, cut")
            << QSize(1400, 800) << progressive << 1.0 << QByteArray() << bound;
        QTest::newRow("progressive holding 10 MB of coefficients")
            << QSize(3000, 1200) << progressive << 1.0 << QByteArray() << QSize();
        QTest::newRow("baseline, cut at 60 %") << QSize(300, 200) << baseline << 0.6 << QByteArray() << QSize();
        QTest::newRow("huge baseline, cut at 95 %") << QSize(3000, 2400) << baseline << 0.95 << QByteArray() << QSize();
        QTest::newRow("bytes after the end marker")
            << QSize(300, 200) << baseline << 1.0 << QByteArray("trailing camera data") << QSize(300, 200);
        QTest::newRow("three scans, small") << QSize(300, 200) << threeScans << 1.0 << QByteArray() << QSize(300, 200);
        // 8355840 and 8454144 bytes of coefficients.
        QTest::newRow("three scans just within the whole-picture bound, cut")
            << QSize(2048, 1360) << threeScans << 1.0 << QByteArray() << bound;
        QTest::newRow("three scans just past the whole-picture bound")
            << QSize(2048, 1376) << threeScans << 1.0 << QByteArray() << QSize();
        QTest::newRow("one scan of that size, cut")
            << QSize(2048, 1376) << baseline << 1.0 << QByteArray() << bound;
    }
    void hostilePictures()
    {
        QFETCH(QSize, size);
        QFETCH(QString, encoding);
        QFETCH(double, keptShare);
        QFETCH(QByteArray, appended);
        QFETCH(QSize, decoded);
        QImage image = marked(size, qRgb(200, 0, 0));
        QByteArray data;
        if (encoding == QLatin1String("three scans")) {
            data = baselineInThreeScans(image);
        } else {
            QBuffer buffer(&data);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QImageWriter writer(&buffer, "jpeg");
            writer.setProgressiveScanWrite(encoding == QLatin1String("progressive"));
            QVERIFY(writer.write(image));
        }
        data = data.left(qRound(data.size() * keptShare)) + appended;
        const QString path = m_dir.filePath(QStringLiteral("picture.jpg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
        file.close();

        const QImage read = SkinLoader::decodeBounded(path, SkinLoader::decodeBound(SkinFile::panelmain));
        QCOMPARE(read.isNull(), !decoded.isValid());
        if (!read.isNull()) {
            QCOMPARE(read.size(), decoded);
            QVERIFY(sameColour(QPixmap::fromImage(read), qRgb(200, 0, 0)));
        }
    }

    // The skin test, the dressing of the panel and of the dictionary window read each file
    // once; a file changed on disk is read again, and one removed fails the next test.
    void eachFileDecodedOnce()
    {
        writeSkin(QStringLiteral("once"), {});
        m_settings->write(Key::skinname, QStringLiteral("once"));
        SkinLoader loader(m_dir.path());
        QVERIFY(testskin(*m_settings, loader));
        QVERIFY(applyskin(*m_settings, loader, *m_panel, m_dictionary.get()));
        QVERIFY(applyskin(*m_settings, loader, *m_dictionary));
        QCOMPARE(loader.decodeCount(), kSkinFileCount);
        QVERIFY(sameColour(m_panel->Picture3->picture(), colour(QStringLiteral("panelbutton1.jpg"))));

        const QString folder = Skins::folder(m_dir.path(), QStringLiteral("once"));
        // Replaced by another file of the same size class: a new name moved over the old one.
        QVERIFY(marked(QSize(40, 31), qRgb(250, 250, 250)).save(folder + QStringLiteral("/new.jpg"), "JPG"));
        QVERIFY(QFile::remove(folder + QStringLiteral("/panelmain.jpg")));
        QVERIFY(QFile::rename(folder + QStringLiteral("/new.jpg"), folder + QStringLiteral("/panelmain.jpg")));
        QVERIFY(applyskin(*m_settings, loader, *m_panel, m_dictionary.get()));
        QCOMPARE(loader.decodeCount(), kSkinFileCount + 1);
        QVERIFY(sameColour(m_panel->Picture1->picture(), qRgb(250, 250, 250)));

        QVERIFY(QFile::remove(folder + QStringLiteral("/dictbutton2.jpg")));
        QVERIFY(!applyskin(*m_settings, loader, *m_panel, m_dictionary.get()));
        QVERIFY(!testskin(*m_settings, loader));
        QCOMPARE(m_settings->text(Key::skinname), kBuiltInSkin);
    }

    // A skin applied while the panel is open gives the handle its open picture, not the
    // closed one pointing the wrong way until the next slide.
    void openPanelKeepsItsOpenHandle()
    {
        writeSkin(QStringLiteral("test"), {});
        m_settings->write(Key::skinname, QStringLiteral("test"));
        m_platform->setScreenSize(QSize(1024, 768));
        m_panel->show();
        m_panel->openingSequence();
        QVERIFY(!m_panel->isClosedPosition());
        QVERIFY(applyskin(*m_settings, m_dir.path(), *m_panel, nullptr));
        QVERIFY(sameColour(m_panel->Picture2->picture(), colour(QStringLiteral("panelbutton2.jpg"))));
        m_panel->closingSequence();
        QVERIFY(sameColour(m_panel->Picture2->picture(), colour(QStringLiteral("panelbutton1.jpg"))));
    }

    // The skins built into the program folder are whole, at the built-in sizes, and the one
    // with a Cyrillic name is found through its folder like any other.
    void shippedSkins_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("dark") << QStringLiteral("Night");
        QTest::newRow("light green, Cyrillic folder") << QStringLiteral("Мята");
    }
    void shippedSkins()
    {
        QFETCH(QString, name);
        SkinLoader loader(QStringLiteral(ZARVIK_PROGRAM_DIR));
        const Skin skin = loader.load(name);
        QVERIFY(skin.isComplete());
        const Skin builtIn = loader.load(kBuiltInSkin);
        for (int i = 0; i < kSkinFileCount; ++i) {
            QCOMPARE(skin.picture(Skin::fileAt(i)).size(), Skin::targetSize(Skin::fileAt(i)));
            QVERIFY(skin.picture(Skin::fileAt(i)).toImage() != builtIn.picture(Skin::fileAt(i)).toImage());
        }
        m_settings->write(Key::skinname, name);
        QVERIFY(testskin(*m_settings, loader));
        QCOMPARE(m_settings->text(Key::skinname), name);
    }

private:
    QString iniPath() const { return m_dir.filePath(QStringLiteral("Zarvik5.ini")); }

    static QRgb colour(const QString& file) { return kColours[Skins::fileNames().indexOf(file)]; }

    void writeSkin(const QString& name, const QStringList& missing)
    {
        const QString folder = Skins::folder(m_dir.path(), name);
        QVERIFY(QDir().mkpath(folder));
        for (const QString& file : Skins::fileNames()) {
            if (!missing.contains(file))
                QVERIFY(marked(QSize(40, 30), colour(file)).save(folder + QLatin1Char('/') + file, "JPG"));
        }
    }

    QTemporaryDir m_dir;
    std::unique_ptr<FakePlatform> m_platform;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<HiddenState> m_state;
    std::unique_ptr<Form3> m_panel;
    std::unique_ptr<Form1> m_dictionary;
};

QTEST_MAIN(TestSkins)
#include "tst_skins.moc"
