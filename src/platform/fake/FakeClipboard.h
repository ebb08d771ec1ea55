#pragma once

#include "platform/ClipboardPort.h"
#include "platform/fake/FakeLog.h"

#include <QStringList>

namespace zarvik {

// The fake platform's clipboard and primary selection.
class FakeClipboard : public virtual ClipboardPort, public virtual FakeLog {
public:
    // Changes the clipboard as another program would (not recorded as a write of ours); a
    // copy always makes a new owner, even of the same text.
    void setClipboardText(const QString& text, qint64 process = 0)
    {
        m_clipboard = text;
        m_clipboardProcess = process;
        ++m_ownerChanges;
    }
    // Another program copies `text` and the owner-change handler runs, as it does once the
    // desktop's clipboard has caught up with a new owner.
    void copyByAnotherProgram(const QString& text, qint64 process = 0)
    {
        setClipboardText(text, process);
        notifyClipboardOwnerChanged();
    }
    // What the user has selected (the PRIMARY selection).
    // Each call is a new selection (primarySelectionChanges() counts it).
    void setPrimaryText(const QString& text)
    {
        m_primary = text;
        ++m_primaryChanges;
    }
    // Whether primarySelectionChanges() answers (off by default: it cannot tell).
    void setReportsPrimaryChanges(bool on) { m_reportsPrimaryChanges = on; }
    // Whether clipboard owner changes are reported (they are by default, as on X11).
    void setReportsOwnerChanges(bool on) { m_reportsOwnerChanges = on; }
    // What saveClipboard() comes to, after that many event dispatches of Pending.
    void setClipboardSaveResult(ClipboardSave result, int pendingDispatches = 0)
    {
        m_saveResult = result;
        m_savePendingDispatches = pendingDispatches;
    }
    // Whether native programs of a Wayland session are watched (AllSeen: an X11 desktop).
    void setNativeSelections(NativeSelections state) { m_native = state; }
    // A native program changes the clipboard or the primary selection, as reported.
    void selectNatively(SelectionKind kind, const QString& text) { notifyNativeSelection(kind, text); }
    // What the native programs' clipboard held when the watch began.
    void setNativeClipboardAtStart(const QString& text) { m_nativeAtStart = text; }
    // Also logs every clipboard read as "clipboard-read" (off by default).
    void setLogClipboardReads(bool on) { m_logClipboardReads = on; }

    const QStringList& clipboardWrites() const { return m_clipboardWrites; }
    // What the latest save read (the clipboard's text when the save completed).
    const QString& savedClipboard() const { return m_saved; }

    QString clipboardText() override;
    void writeClipboardText(const QString& text) override;
    quint64 clipboardOwnerChanges() override { return m_ownerChanges; }
    qint64 clipboardTextProcess() override { return m_clipboardProcess; }
    bool reportsClipboardOwnerChanges() override { return m_reportsOwnerChanges; }
    void saveClipboard() override;
    ClipboardSave clipboardSaveState() override;
    void restoreClipboard(const QString& text) override;
    void copyPrimarySelection() override;
    std::optional<quint64> primarySelectionChanges() override
    {
        return m_reportsPrimaryChanges ? std::optional<quint64>(m_primaryChanges) : std::nullopt;
    }
    NativeSelections nativeSelections() override { return m_native; }
    QString nativeClipboardAtStart() override { return m_nativeAtStart; }

protected:
    // An event dispatch went by: a save completes when its owner has answered, whether or
    // not anyone asks, so a copy made after that is not in it.
    void clipboardEventsDispatched();

private:
    QString m_clipboard;
    qint64 m_clipboardProcess = 0;
    quint64 m_ownerChanges = 0;
    bool m_reportsOwnerChanges = true;
    bool m_logClipboardReads = false;
    QStringList m_clipboardWrites;
    QString m_primary;
    quint64 m_primaryChanges = 0;
    bool m_reportsPrimaryChanges = false;
    ClipboardSave m_saveResult = ClipboardSave::Saved;
    ClipboardSave m_saveState = ClipboardSave::Idle;
    int m_savePendingDispatches = 0;
    int m_saveReadyAt = 0;
    int m_dispatches = 0;
    QString m_saved;
    NativeSelections m_native = NativeSelections::AllSeen;
    QString m_nativeAtStart;
};

} // namespace zarvik
