// Fifty common Russian words, copied as a user would meet them in a text (nouns in several
// cases, verbs in person and tense, adjectives in gender and case), looked up in the default
// dictionary the build makes from Mueller's English-Russian data: the expected English word
// must be among the first three headwords the strip shows. The misses known today are named
// below, and the misses must be exactly those: a new one fails, and so does a known one that is
// found now (take it off the list). Skipped where mueller7-dict is not installed.
#include "FakePopupWindow.h"

#include "popup/HiddenState.h"
#include "dictionary/DictionaryReader.h"
#include "platform/fake/FakePlatform.h"
#include "popup/CapturedWordLookup.h"
#include "popup/DictionaryLookupSource.h"
#include "settings/Settings.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace zarvik;

namespace {

const QString kMuellerIndex = QStringLiteral("/usr/share/dictd/mueller7.index");
const QString kDictionary = QStringLiteral(ZARVIK_PROGRAM_DIR "/zarvik.bdd");
// "письмо": "letter" is the fifth headword shown, after "message" and three idioms;
// "купила": none of its forms finds a headword.
const QStringList kKnownMisses{QStringLiteral("письмо"), QStringLiteral("купила")};

struct Word {
    const char* copied;
    const char* english; // alternatives separated by "|"
};

const Word kWords[] = {
    // nouns
    {"кошки", "cat"},        {"собаку", "dog"},        {"домом", "house|home"},  {"книгу", "book"},
    {"воды", "water"},       {"руки", "hand"},         {"окна", "window"},       {"столе", "table"},
    {"городе", "town|city"}, {"дороги", "road|way"},   {"солнца", "sun"},        {"глаза", "eye"},
    {"друга", "friend"},     {"жизни", "life"},        {"двери", "door"},        {"письмо", "letter"},
    {"рыбу", "fish"},        {"хлеба", "bread"},       {"молоком", "milk"},      {"птицы", "bird"},
    {"школе", "school"},     {"мальчика", "boy"},      {"лошадью", "horse"},     {"неба", "sky|heaven"},
    {"словами", "word"},     {"деньги", "money"},
    // verbs
    {"читает", "read"},      {"говорит", "speak|say|talk"}, {"знаю", "know"},  {"делает", "do|make"},
    {"работает", "work"},    {"видел", "see"},         {"сказал", "say|tell"},   {"любит", "love"},
    {"идёт", "go"},          {"спит", "sleep"},        {"открывает", "open"},      {"купила", "buy"},
    {"думают", "think"},     {"помогает", "help"},     {"слушать", "listen|hear"}, {"учится", "learn|study"},
    // adjectives
    {"красивая", "beautiful|handsome|pretty"}, {"большого", "big|large|great"}, {"новые", "new"},
    {"старую", "old"},       {"белым", "white"},       {"хорошая", "good"},      {"холодной", "cold"},
    {"чёрного", "black"},
};

} // namespace

class TestRussianWords : public QObject {
    Q_OBJECT
private slots:
    void fiftyWords()
    {
        if (!QFileInfo::exists(kMuellerIndex))
            QSKIP("mueller7-dict is not installed; the build ships the sample dictionary");
        QCOMPARE(int(std::size(kWords)), 50);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        DictionaryReader reader;
        reader.setDatabaseName(kDictionary);
        if (reader.wordCount() < 40000)
            QSKIP("zarvik.bdd was built from the sample dictionary (configure again after installing mueller7-dict)");
        QVERIFY2(reader.hasReverseIndex(), qPrintable(kDictionary));

        FakePlatform platform;
        Settings settings(dir.filePath(QStringLiteral("Zarvik5.ini")));
        HiddenState state;
        FakePopupWindow popup(platform);
        DictionaryLookupSource source(reader);
        CapturedWordLookup lookup(platform, settings, state, popup, source, QStringLiteral("zarvik"));
        platform.setScreenSize(QSize(1024, 768));

        QStringList misses, missed;
        for (const Word& w : kWords) {
            const QString copied = QString::fromUtf8(w.copied);
            platform.setClipboardText(copied);
            lookup.Timer3_Timer();
            QVERIFY2(!popup.shown.isEmpty(), w.copied);
            const QString strip = popup.shown.last().label1 + popup.shown.last().label2;
            const QStringList first = popup.shown.last().label2.trimmed().split(QStringLiteral("; ")).mid(0, 3);
            const QStringList expected = QString::fromUtf8(w.english).split(QLatin1Char('|'));
            const bool found = std::any_of(expected.begin(), expected.end(),
                                           [&first](const QString& e) { return first.contains(e); });
            qInfo().noquote() << (found ? "   " : "MISS") << strip;
            if (!found) {
                misses << QStringLiteral("%1 (expected %2): %3").arg(copied, QString::fromUtf8(w.english), strip);
                missed << copied;
            }
        }
        QVERIFY2(missed == kKnownMisses, qPrintable(misses.join(QStringLiteral("\n"))));
        if (!misses.isEmpty())
            qInfo().noquote() << "misses:" << misses.join(QStringLiteral("; "));
    }
};

QTEST_GUILESS_MAIN(TestRussianWords)
#include "tst_russianwords.moc"
