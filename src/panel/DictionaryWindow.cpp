#include "panel/DictionaryWindow.h"

#include "panel/Form1.h"
#include "panel/SearchInput.h"
#include "platform/Monitors.h"
#include "platform/Platform.h"

namespace zarvik {

DictionaryWindow::DictionaryWindow(Platform& platform, const QString& programDir, LoadHook onLoad,
                                   std::function<void()> focusMainForm)
    : m_platform(platform), m_programDir(programDir), m_onLoad(std::move(onLoad)),
      m_focusMainForm(std::move(focusMainForm))
{
}

DictionaryWindow::~DictionaryWindow()
{
    delete m_form.data();
}

Form1* DictionaryWindow::loaded() const
{
    return m_form.data();
}

Form1& DictionaryWindow::form()
{
    if (!m_form) {
        m_form = new Form1(m_programDir);
        m_shownSinceLoad = false;
        QObject::connect(m_form.data(), &Form1::unloadRequested, m_form.data(), [this] { unload(); });
        if (m_onLoad)
            m_onLoad(*m_form);
    }
    return *m_form;
}

void DictionaryWindow::show()
{
    Form1& window = form();
    if (!m_shownSinceLoad) {
        window.move(Monitors::centredAtPointer(m_platform, window.size()));
        m_shownSinceLoad = true;
    }
    window.show();
    window.raise();
    window.activateWindow();
    window.Text1->setFocus();
}

void DictionaryWindow::unload()
{
    if (!m_form)
        return;
    Form1* window = m_form;
    m_form = nullptr;
    window->hide();
    // Escape arrives inside the window's own key handler; it is deleted once that returns.
    window->deleteLater();
    if (m_focusMainForm)
        m_focusMainForm();
}

} // namespace zarvik
