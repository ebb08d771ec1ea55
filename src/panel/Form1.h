#pragma once

#include "dictionary/DictionaryReader.h"
#include "panel/PrefixLister.h"

#include <QPixmap>
#include <QWidget>
#include <functional>

namespace zarvik {

class MouseArea;
class PictureBox;
class ResultList;
class SearchInput;
class Skin;

// The dictionary window, offered instead of the panel when the panel is switched off: a
// frameless, topmost window with a title strip to drag, a close button, the input line and a
// result list of fixed size. Its pictures come from the skin.
class Form1 final : public QWidget {
    Q_OBJECT
public:
    explicit Form1(const QString& programDir, QWidget* parent = nullptr);
    ~Form1() override;

    MouseArea* Label4 = nullptr;       // title strip: drag
    PictureBox* Picture1 = nullptr;    // close button as shown
    QWidget* Label3 = nullptr;         // caption "Слово:"
    SearchInput* Text1 = nullptr;
    ResultList* List1 = nullptr;
    PictureBox* picclose = nullptr;      // holder: close button released
    PictureBox* picclosepress = nullptr; // holder: close button pressed

    DictionaryReader& Data1() { return m_data1; }
    void setLister(PrefixLister& lister) { m_lister = &lister; }
    // Run by Enter in the input line or a double-click on a line: opens the article of the
    // result line given.
    void setArticleHook(std::function<void(const QString&)> hook) { m_articleHook = std::move(hook); }

    // The window's own background picture.
    const QPixmap& picture() const { return m_picture; }
    void setPicture(const QPixmap& picture);
    // Takes its pictures from a skin already loaded; a null picture leaves its target as it was.
    void wearSkin(const Skin& skin);

    bool dragging() const { return m_drag; }

    // Handlers.
    void Form_Load();
    void Text1_Change();
    // Down and Up move through the list; Enter opens the marked line's article (the first
    // line's when none is marked), as does a double-click on a line.
    void openArticle(const QString& line);
    void Label4_MouseDown(Qt::MouseButton button, QPoint position);
    void Label4_MouseMove(QPoint position);
    void Label4_MouseUp();
    void Picture1_MouseDown();
    void Picture1_MouseUp();
    void Picture1_Click();

signals:
    // Escape in the input line: the window is to be unloaded.
    void unloadRequested();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_programDir;
    DictionaryReader m_data1;
    ReaderPrefixLister m_readerLister{m_data1};
    PrefixLister* m_lister = &m_readerLister;
    std::function<void(const QString&)> m_articleHook;
    QPixmap m_picture;
    bool m_drag = false;
    QPoint m_grab;
};

} // namespace zarvik
