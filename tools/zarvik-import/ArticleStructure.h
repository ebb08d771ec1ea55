#pragma once

#include "dictionary/Article.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace zarvik {

// Takes a dictionary article apart into the blocks of the article window (see Article.h):
// transcriptions, homonyms (_I), parts of speech (1. _n.), senses (1)), subsenses (а)),
// examples (an English phrase and its Russian), idioms and phrasal verbs, references to other
// headwords ("_p. от go 1": "прош. вр. от" go; "= hallo(a)": hallo). Labels are made readable
// ("_разг." is "разг."), notes in braces that point nowhere go. An article without Mueller's
// markup becomes senses without numbers, one per paragraph of markers, so nothing is lost.
//
// Like the cleaner it runs in time linear in the article, hostile ones included.
Article articleStructure(const QString& headword, const QString& article);
// The same of ArticleCleaner::joinLines() of the article.
Article structureOfJoined(const QString& headword, const QString& joined);

// An article as the file keeps it: its first transcription, and its blocks encoded (that
// transcription's text left empty: the reader puts it back). Nothing for an article without
// blocks or one whose encoded text is over the reader's bound.
struct KeptArticle {
    QString transcription;
    QByteArray text;
};
KeptArticle keepArticle(Article article);

// The shared dictionary of a file's articles: the openings of a sample of its articles,
// encoded, spread over the whole dictionary (deflate finds in it the labels, words and
// block layout that articles share). At most articles::kMaxDictionaryBytes.
QByteArray sharedDictionary(const std::vector<QByteArray>& encodedSample);

} // namespace zarvik
