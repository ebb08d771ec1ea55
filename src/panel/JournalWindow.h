#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace zarvik {

class Journal;
class JournalModel;
class Skin;

// «Журнал слов»: the words the user looked up, with how often and when, a filter, the
// favourites marked by a star, deleting, export for flash cards and emptying the journal. Its
// title strip wears the dictionary window's picture and close button.
class JournalWindow final : public QWidget {
    Q_OBJECT
public:
    // What the window asks of the program around it.
    struct Hooks {
        // Shows the article of a headword (Enter or a double-click on a word).
        std::function<void(const QString&)> openArticle;
        // A headword's transcription for the export ("" where unknown).
        std::function<QString(const QString&)> transcription;
        // The file to export to, "" when the user cancels (tests answer without a dialog).
        std::function<QString(QWidget*)> chooseExportFile;
        // Whether the user confirms emptying the journal.
        std::function<bool(QWidget*)> confirmClear;
    };

    JournalWindow(Journal& journal, Hooks hooks, QWidget* parent = nullptr);
    ~JournalWindow() override;

    // The title strip's picture and the close button from the skin.
    void wearSkin(const Skin& skin);
    // Reads the words anew (the window is shown again).
    void reload();

    JournalModel& model() { return *m_model; }
    QLineEdit* filter = nullptr;
    QCheckBox* favouritesOnly = nullptr; // «Только избранное»
    QTableView* table = nullptr;
    QPushButton* deleteButton = nullptr; // «Удалить»
    QPushButton* exportButton = nullptr; // «Экспорт...»
    QPushButton* clearButton = nullptr;  // «Очистить журнал»

    // Handlers.
    void filter_Change();
    void deleteSelected();
    // Returns the words written, or -1.
    int exportShown();
    void clearJournal();
    void openRow(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TitleStrip;
    Journal& m_journal;
    Hooks m_hooks;
    JournalModel* m_model = nullptr;
    TitleStrip* m_title = nullptr;
};

} // namespace zarvik
