#include "skins/Skins.h"

#include "panel/Form1.h"
#include "panel/Form3.h"
#include "panel/PictureBox.h"
#include "settings/Settings.h"
#include "skins/BuiltInSkin.h"

#include <QDir>
#include <QImage>
#include <functional>
#include <optional>

namespace zarvik {

namespace Skins {

QStringList fileNames()
{
    return {QStringLiteral("panelbutton1.jpg"), QStringLiteral("panelbutton2.jpg"), QStringLiteral("dictbutton1.jpg"),
            QStringLiteral("dictbutton2.jpg"),  QStringLiteral("splash.jpg"),       QStringLiteral("dictmain.jpg"),
            QStringLiteral("panelmain.jpg")};
}

QString folder(const QString& programDir, const QString& skinName)
{
    return programDir + QStringLiteral("/skins/") + skinName;
}

} // namespace Skins

namespace {

// Gives the picture for one skin file, or nothing when it cannot be had.
using PictureSource = std::function<std::optional<QPixmap>(const QString& fileName)>;

PictureSource currentSource(Settings& settings, const QString& programDir)
{
    const QString name = settings.text(Key::skinname, kBuiltInSkin);
    if (name == kBuiltInSkin) {
        auto builtIn = std::make_shared<BuiltInSkin>();
        return [builtIn](const QString& fileName) -> std::optional<QPixmap> {
            const QPixmap* picture = nullptr;
            if (fileName == QLatin1String("panelmain.jpg"))
                picture = &builtIn->picpanelback;
            else if (fileName == QLatin1String("panelbutton1.jpg"))
                picture = &builtIn->picpanelleft;
            else if (fileName == QLatin1String("panelbutton2.jpg"))
                picture = &builtIn->picpanelright;
            else if (fileName == QLatin1String("dictmain.jpg"))
                picture = &builtIn->picdicback;
            else if (fileName == QLatin1String("dictbutton1.jpg"))
                picture = &builtIn->picdicclose;
            else if (fileName == QLatin1String("dictbutton2.jpg"))
                picture = &builtIn->picdicclosepress;
            if (!picture || picture->isNull())
                return std::nullopt;
            return *picture;
        };
    }
    const QString folder = Skins::folder(programDir, name);
    // Each target loads its file afresh, as the folder may change between two of them.
    return [folder](const QString& fileName) -> std::optional<QPixmap> {
        QPixmap picture;
        if (!picture.load(folder + QLatin1Char('/') + fileName))
            return std::nullopt;
        return picture;
    };
}

void assign(const PictureSource& source, const QString& fileName, const std::function<void(const QPixmap&)>& target)
{
    if (const std::optional<QPixmap> picture = source(fileName))
        target(*picture);
}

void dressDictionary(const PictureSource& source, Form1& dictionary)
{
    assign(source, QStringLiteral("dictmain.jpg"), [&](const QPixmap& p) { dictionary.setPicture(p); });
    assign(source, QStringLiteral("dictbutton1.jpg"), [&](const QPixmap& p) { dictionary.Picture1->setPicture(p); });
    assign(source, QStringLiteral("dictbutton1.jpg"), [&](const QPixmap& p) { dictionary.picclose->setPicture(p); });
    assign(source, QStringLiteral("dictbutton2.jpg"),
           [&](const QPixmap& p) { dictionary.picclosepress->setPicture(p); });
}

} // namespace

bool testskin(Settings& settings, const QString& programDir)
{
    const QString name = settings.text(Key::skinname, kBuiltInSkin);
    if (name == kBuiltInSkin)
        return true;
    const QString folder = Skins::folder(programDir, name);
    QImage scratch;
    for (const QString& fileName : Skins::fileNames()) {
        if (!scratch.load(folder + QLatin1Char('/') + fileName)) {
            settings.write(Key::skinname, kBuiltInSkin);
            return false;
        }
    }
    return true;
}

void applyskin(Settings& settings, const QString& programDir, Form3& panel, Form1* dictionary)
{
    const PictureSource source = currentSource(settings, programDir);
    assign(source, QStringLiteral("panelmain.jpg"), [&](const QPixmap& p) { panel.Picture1->setPicture(p); });
    assign(source, QStringLiteral("panelbutton1.jpg"), [&](const QPixmap& p) { panel.Picture2->setPicture(p); });
    assign(source, QStringLiteral("panelbutton1.jpg"), [&](const QPixmap& p) { panel.Picture3->setPicture(p); });
    assign(source, QStringLiteral("panelbutton2.jpg"), [&](const QPixmap& p) { panel.Picture4->setPicture(p); });
    if (dictionary)
        dressDictionary(source, *dictionary);
}

void applyskin(Settings& settings, const QString& programDir, Form1& dictionary)
{
    dressDictionary(currentSource(settings, programDir), dictionary);
}

} // namespace zarvik
