#pragma once

#include "dictionary/Article.h"

#include <QString>
#include <optional>

namespace zarvik {

class DictionaryReader;

// Where the article window reads whole entries from.
class ArticleSource {
public:
    ArticleSource() = default;
    virtual ~ArticleSource() = default;
    ArticleSource(const ArticleSource&) = delete;
    ArticleSource& operator=(const ArticleSource&) = delete;

    // The entry's article, nothing when the dictionary has no such headword.
    virtual std::optional<Article> article(const QString& headword) = 0;
};

// A dictionary reader seen as an ArticleSource.
class ReaderArticleSource final : public ArticleSource {
public:
    explicit ReaderArticleSource(DictionaryReader& reader) : m_reader(reader) {}
    std::optional<Article> article(const QString& headword) override;

private:
    DictionaryReader& m_reader;
};

} // namespace zarvik
