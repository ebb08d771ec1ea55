#include "panel/ArticleSource.h"

#include "dictionary/DictionaryReader.h"

namespace zarvik {

std::optional<Article> ReaderArticleSource::article(const QString& headword)
{
    return m_reader.article(headword);
}

} // namespace zarvik
