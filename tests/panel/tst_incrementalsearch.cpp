#include "panel/IncrementalSearch.h"
#include "panel/PrefixLister.h"

#include <QTest>

using namespace zarvik;

namespace {
class ListerDouble final : public PrefixLister {
public:
    QStringList listPrefix(const QString& text) override
    {
        queries.append(text);
        return answer;
    }
    QStringList answer;
    QStringList queries;
};
} // namespace

class TestIncrementalSearch : public QObject {
    Q_OBJECT
private slots:
    void decide_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("query");
        using A = IncrementalSearch::Action;
        QTest::newRow("asterisk alone clears") << QStringLiteral("*") << int(A::ClearInput) << QString();
        QTest::newRow("empty") << QString() << int(A::ShowEmpty) << QString();
        QTest::newRow("plain") << QStringLiteral("cat") << int(A::List) << QStringLiteral("cat");
        QTest::newRow("asterisk inside is a pattern") << QStringLiteral("c*") << int(A::List) << QStringLiteral("c*");
        QTest::newRow("trailing CR-LF dropped") << QStringLiteral("cat\r\n") << int(A::List) << QStringLiteral("cat");
        QTest::newRow("CR then any last char dropped") << QStringLiteral("cat\rx") << int(A::List) << QStringLiteral("cat");
        QTest::newRow("trailing LF alone kept") << QStringLiteral("cat\n") << int(A::List) << QStringLiteral("cat\n");
        QTest::newRow("break inside kept") << QStringLiteral("a\r\nb") << int(A::List) << QStringLiteral("a\r\nb");
        QTest::newRow("single CR kept (too short)") << QStringLiteral("\r") << int(A::List) << QStringLiteral("\r");
        QTest::newRow("two trailing breaks drop one") << QStringLiteral("cat\r\n\r\n") << int(A::List)
                                                       << QStringLiteral("cat\r\n");
        QTest::newRow("Cyrillic") << QStringLiteral("кош") << int(A::List) << QStringLiteral("кош");
    }
    void decide()
    {
        QFETCH(QString, text);
        QFETCH(int, action);
        QFETCH(QString, query);
        const auto decision = IncrementalSearch::decide(text);
        QCOMPARE(int(decision.action), action);
        QCOMPARE(decision.query, query);
    }

    void keyFilter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("refused");
        QTest::newRow("vertical bar") << QStringLiteral("|") << true;
        QTest::newRow("opening bracket") << QStringLiteral("[") << true;
        QTest::newRow("closing bracket") << QStringLiteral("]") << true;
        QTest::newRow("double quote") << QStringLiteral("\"") << true;
        QTest::newRow("asterisk") << QStringLiteral("*") << false;
        QTest::newRow("question mark") << QStringLiteral("?") << false;
        QTest::newRow("number sign") << QStringLiteral("#") << false;
        QTest::newRow("single quote") << QStringLiteral("'") << false;
        QTest::newRow("letter") << QStringLiteral("a") << false;
        QTest::newRow("Cyrillic letter") << QStringLiteral("ж") << false;
        QTest::newRow("no text (arrow key)") << QString() << false;
    }
    void keyFilter()
    {
        QFETCH(QString, typed);
        QFETCH(bool, refused);
        QCOMPARE(IncrementalSearch::isRefusedKey(typed), refused);
    }

    void lines_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("queries");
        QStringList twelve;
        for (int i = 0; i < 12; ++i)
            twelve.append(QStringLiteral("c%1 - x").arg(i));
        QTest::newRow("empty input: one empty line, no query")
            << QString() << QStringList{} << QStringList{QString()} << QStringList{};
        QTest::newRow("asterisk: nothing listed, no query") << QStringLiteral("*") << QStringList{} << QStringList{}
                                                            << QStringList{};
        QTest::newRow("lines as given") << QStringLiteral("ca") << QStringList{"cab - такси", "cat - кошка"}
                                        << QStringList{"cab - такси", "cat - кошка"} << QStringList{"ca"};
        QTest::newRow("no-match line passes through")
            << QStringLiteral("zzz") << QStringList{"zzz - ???"} << QStringList{"zzz - ???"} << QStringList{"zzz"};
        QTest::newRow("nothing from the reader: no-match line")
            << QStringLiteral("zzz") << QStringList{} << QStringList{"zzz - ???"} << QStringList{"zzz"};
        QTest::newRow("never more than ten") << QStringLiteral("c") << twelve << twelve.mid(0, 10) << QStringList{"c"};
        QTest::newRow("pasted line searched without its break")
            << QStringLiteral("cat\r\n") << QStringList{} << QStringList{"cat - ???"} << QStringList{"cat"};
    }
    void lines()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, answer);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, queries);
        ListerDouble lister;
        lister.answer = answer;
        QCOMPARE(IncrementalSearch::lines(IncrementalSearch::decide(text), lister), expected);
        QCOMPARE(lister.queries, queries);
    }
};

QTEST_GUILESS_MAIN(TestIncrementalSearch)
#include "tst_incrementalsearch.moc"
