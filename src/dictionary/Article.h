#pragma once

#include <QString>
#include <vector>

namespace zarvik {

// One piece of an entry's whole article, in reading order. Every field is plain dictionary
// text: a window that shows it escapes it, so markup in a dictionary never becomes markup on
// the screen.
struct ArticleBlock {
    enum class Kind : char {
        // number: the homonym's roman number ("I", "II").
        Homonym = 'H',
        // text: the transcription without its brackets ("rʌn").
        Transcription = 'T',
        // number: "1.", "2." or empty; text: the part of speech as the source labels it
        // ("n.", "v.", "a.").
        Part = 'P',
        // number: "1)"; text: the sense's Russian text, its labels included ("_разг." as "разг.").
        Sense = 'S',
        // number: "а)"; text: as for a sense.
        Subsense = 's',
        // text: the English phrase; extra: its Russian translation.
        Example = 'E',
        // text: an idiom or phrasal verb; extra: its translation.
        Idiom = 'I',
        // text: the words before the target ("прош. вр. от", "см."; empty for a plain "= word");
        // extra: the headword it points to, as it is to be looked up.
        Reference = 'R',
        // Anything the article holds that fits no other kind (an article that could not be
        // taken apart is one such block).
        Text = 'X',
    };
    Kind kind = Kind::Text;
    QString number;
    QString text;
    QString extra;

    friend bool operator==(const ArticleBlock&, const ArticleBlock&) = default;
};

// An entry's whole article, taken apart for the article window.
struct Article {
    QString headword;
    std::vector<ArticleBlock> blocks;

    // The first transcription of the article, "" when it has none.
    QString transcription() const
    {
        for (const ArticleBlock& b : blocks)
            if (b.kind == ArticleBlock::Kind::Transcription)
                return b.text;
        return {};
    }

    friend bool operator==(const Article&, const Article&) = default;
};

} // namespace zarvik
