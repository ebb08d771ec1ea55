#pragma once

#include "dictionary/DictionaryReader.h"
#include "panel/PrefixLister.h"

#include <QList>
#include <QPair>
#include <QStringList>

namespace zarvik {

// A small in-memory dictionary for the form tests: lists the headwords that begin with the
// text (letter case ignored, "?" matches one character), as the real reader's listing does.
class DictionaryDouble final : public PrefixLister {
public:
    DictionaryDouble()
    {
        const char* const entries[][2] = {
            {"cab", "такси"},       {"cabbage", "капуста"}, {"cable", "кабель"},  {"cake", "торт"},
            {"calf", "телёнок"},    {"call", "звать"},      {"calm", "спокойный"}, {"camel", "верблюд"},
            {"camera", "камера"},   {"can", "мочь"},        {"candle", "свеча"},  {"cap", "кепка"},
            {"car", "автомобиль"},  {"card", "карта"},      {"cat", "кошка"},     {"catch", "ловить"},
            {"cattle", "скот"},     {"cot", "детская кроватка"}, {"cut", "резать"},
            {"dog", "собака"},      {"дом", "house"},
        };
        for (const auto& entry : entries)
            m_entries.append({QString::fromUtf8(entry[0]), QString::fromUtf8(entry[1])});
    }

    QStringList listPrefix(const QString& text) override
    {
        queries.append(text);
        QStringList lines;
        for (const auto& [word, trans] : m_entries) {
            if (matches(word, text))
                lines.append(displayLine(word, trans));
            if (lines.size() == 10)
                break;
        }
        if (lines.isEmpty())
            lines.append(noMatchLine(text));
        return lines;
    }

    QStringList queries;

private:
    static bool matches(const QString& word, const QString& pattern)
    {
        if (word.size() < pattern.size())
            return false;
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            if (pattern.at(i) != QLatin1Char('?') && pattern.at(i).toLower() != word.at(i).toLower())
                return false;
        }
        return true;
    }

    QList<QPair<QString, QString>> m_entries;
};

} // namespace zarvik
