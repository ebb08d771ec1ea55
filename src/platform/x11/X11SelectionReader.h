#pragma once

#include <QByteArray>
#include <QHash>

#include <chrono>
#include <functional>
#include <optional>

// Xlib's own types, declared only: this header stays free of X11 headers.
struct _XDisplay;
union _XEvent;

namespace zarvik {

// Asks a selection's owner for one target at a time and takes the answer in, whole or in
// pieces (INCR), into a property of a window of ours, within a time and a size limit.
//
// Each request receives into a fresh property of a few, so that a late answer to an abandoned
// request cannot be mistaken for the current one. A transfer in pieces that is given up on is
// led on to its end (each piece deleted unread) so that its owner is not left waiting for us;
// its property is not used again until then.
class X11SelectionReader final {
public:
    using Clock = std::chrono::steady_clock;
    enum class Outcome {
        Done,    // the answer is in type(), format() and data()
        Failed,  // no answer in time, or one that could not be read
        Refused, // the owner will not give this target
        TooLong, // the answer is longer than allowed; the rest of it is not read
    };
    // Called when the request under way has ended; it may ask again at once.
    using Finished = std::function<void(Outcome)>;

    // `window` receives the answers and must select PropertyChangeMask.
    X11SelectionReader(_XDisplay* dpy, unsigned long window, std::chrono::milliseconds timeout, Finished finished);
    X11SelectionReader(const X11SelectionReader&) = delete;
    X11SelectionReader& operator=(const X11SelectionReader&) = delete;

    // Asks for `target` of `selection` into a fresh property; at most `maxBytes` are taken in.
    void begin(unsigned long selection, unsigned long target, qint64 maxBytes);
    // Asks the same selection for another target, into the same property.
    void ask(unsigned long target, qint64 maxBytes);
    // Gives the request up; a transfer in pieces under way is led on to its end.
    void abandon();

    bool active() const { return m_active; }
    unsigned long target() const { return m_target; }
    unsigned long type() const { return m_type; }
    int format() const { return m_format; }
    const QByteArray& data() const { return m_data; }

    // The next moment something is due: the request's time limit or a drain's end.
    std::optional<Clock::time_point> nextDeadline() const;
    // Ends a request whose owner did not answer in time and forgets drains past theirs.
    void expire(Clock::time_point now);
    // Takes the SelectionNotify and PropertyNotify events meant for us.
    void handle(const _XEvent& event);

    static constexpr int kPropertySlots = 8;

private:
    unsigned long freeProperty();
    void finish(Outcome outcome);
    void tooLong();
    void onSelectionNotify(const _XEvent& event);
    void onPropertyNotify(const _XEvent& event);
    bool peekProperty(unsigned long property, unsigned long& type, int& format, qint64& bytes);
    bool takeProperty(unsigned long& type, int& format, QByteArray& bytes);

    _XDisplay* m_dpy;
    unsigned long m_window;
    const std::chrono::milliseconds m_timeout;
    Finished m_finished;
    unsigned long m_incr = 0;
    unsigned long m_properties[kPropertySlots] = {};
    int m_nextProperty = 0;
    // Transfers in pieces we no longer want: property -> when we stop leading it on.
    QHash<unsigned long, Clock::time_point> m_drains;

    bool m_active = false;
    unsigned long m_selection = 0;
    unsigned long m_target = 0;
    unsigned long m_property = 0;
    qint64 m_maxBytes = 0;
    bool m_incremental = false;
    unsigned long m_type = 0;
    int m_format = 8;
    QByteArray m_data;
    Clock::time_point m_deadline;
};

} // namespace zarvik
