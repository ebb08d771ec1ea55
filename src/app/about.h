#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace zarvik {

class LinkLabel;
class Platform;

// The about box: product name and version, the number of words in the dictionary, the
// vendor's logo, notice and links. Made afresh for each opening, so the count is too.
class about final : public QDialog {
    Q_OBJECT
public:
    // `dictionaryPath` is the dictionary file whose words are counted.
    about(Platform& platform, const QString& dictionaryPath, QWidget* parent = nullptr);
    ~about() override;

    // "(N слов(а) в базе данных)".
    static QString countCaption(qint64 words);

    QWidget* Picture1 = nullptr;  // the information area
    QLabel* Picture4 = nullptr;   // the logo
    QLabel* Label2 = nullptr;     // product name and version
    QLabel* Label7 = nullptr;     // the word count
    QLabel* Label3 = nullptr;     // ownership notice
    QLabel* Label4 = nullptr;     // introduces the web link
    LinkLabel* Label6 = nullptr;  // the web site
    QLabel* Label8 = nullptr;     // "E-mail:"
    LinkLabel* Label9 = nullptr;  // the support address
    QPushButton* PVButton4 = nullptr; // "Закрыть"

private:
    void Form_Load(const QString& dictionaryPath);

    Platform& m_platform;
};

} // namespace zarvik
