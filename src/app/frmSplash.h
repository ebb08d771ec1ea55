#pragma once

#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;

namespace zarvik {

class LinkLabel;
class Platform;
class Settings;
class SkinLoader;

// The splash screen: a borderless picture with the product name and the vendor's contacts,
// centred on the screen while the program starts. Its picture is the selected skin's
// "splash.jpg" or the built-in one.
class frmSplash final : public QWidget {
    Q_OBJECT
public:
    frmSplash(Platform& platform, Settings& settings, SkinLoader& skins, QWidget* parent = nullptr);
    ~frmSplash() override;

    // Load, show, activate: returns once the splash is painted on the screen.
    void Show();
    // Takes the stored skin's picture (read now, before any check of the skin).
    void Form_Load();
    // Lets the splash paint before the start-up goes on.
    void Form_Activate();
    // The start-up is over. The splash goes now if it has been on the screen long enough to
    // be seen, else once it has; the program is ready meanwhile. A click closes it sooner.
    void startupDone();

    // A splash on the screen stays at least this long (unless it is clicked): the start is
    // quick, and a picture shown for a few milliseconds is a flicker nobody can read.
    static constexpr double kShortestShowSeconds = 1.5;
    // How many milliseconds more a splash that has been shown for `shownSeconds` stays; 0
    // when it may go at once.
    static int remainingMs(double shownSeconds);

    const QImage& picture() const { return m_picture; }
    // The picture came from the skin folder rather than from the program.
    bool pictureFromSkin() const { return m_fromSkin; }

    // 5550 x 3255 twips.
    static QSize clientSize();

    QLabel* Label2 = nullptr;    // product name and version
    QLabel* Label3 = nullptr;    // ownership notice
    QLabel* Label4 = nullptr;    // introduces the web link
    LinkLabel* Label6 = nullptr; // the web site
    QLabel* Label8 = nullptr;    // "E-mail:"
    LinkLabel* Label9 = nullptr; // the support address

signals:
    // The splash has left the screen (its time was up, or it was clicked); once only.
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    Platform& m_platform;
    Settings& m_settings;
    SkinLoader& m_skins;
    QImage m_picture;
    bool m_fromSkin = false;
    double m_shownAt = 0;
    QTimer m_closeTimer;
    bool m_finished = false;

    void finish();
};

} // namespace zarvik
