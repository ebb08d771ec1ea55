#pragma once

#include <QDateTime>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <array>
#include <optional>

namespace zarvik {

// The seven pictures of a skin, in the order in which a skin is checked.
enum class SkinFile { panelbutton1, panelbutton2, dictbutton1, dictbutton2, splash, dictmain, panelmain };
inline constexpr int kSkinFileCount = 7;

// One skin as a value: the built-in one or a folder's seven pictures, each decoded once.
// Forms take their pictures from it; nothing in it refers to a form.
class Skin final {
public:
    // "panelmain.jpg" ...
    static QString fileName(SkinFile file);
    // The size the built-in picture has, which is also the largest part of the picture any
    // target shows.
    static QSize targetSize(SkinFile file);
    static SkinFile fileAt(int index) { return static_cast<SkinFile>(index); }

    // A null picture: the file could not be had.
    const QPixmap& picture(SkinFile file) const;
    // Every picture is there (the skin passes the skin test).
    bool isComplete() const;
    bool isBuiltIn() const { return m_builtIn; }

private:
    friend class SkinLoader;
    std::array<QPixmap, kSkinFileCount> m_pictures;
    bool m_builtIn = false;
};

// Reads skins. A skin folder's picture is decoded with a bounded size (see decodeBounded)
// and kept, so that the skin test, the skin application, the splash and the preview of one
// skin decode each file once; a file is decoded again only when it changed on disk.
class SkinLoader final {
public:
    explicit SkinLoader(QString programDir);
    SkinLoader(const SkinLoader&) = delete;
    SkinLoader& operator=(const SkinLoader&) = delete;

    QString programDir() const { return m_programDir; }
    // The folder of a named skin.
    QString folder(const QString& skinName) const;

    // The named skin: the built-in one for "(по умолчанию)", otherwise the pictures of its
    // folder; a file that is missing or cannot be decoded leaves its picture null.
    Skin load(const QString& skinName);
    // One picture of the named skin, through the same cache (the splash needs its picture
    // before the rest of the skin is read).
    QPixmap picture(const QString& skinName, SkinFile file);
    // How many picture files this loader has decoded so far.
    int decodeCount() const { return m_decodes; }

    // The largest picture decoded for a target: anything larger is cut to its top-left part
    // while it is read, which is all a target ever shows (pictures are drawn unscaled from
    // the top-left corner). Twice the built-in size leaves room for skins drawn larger.
    static QSize decodeBound(SkinFile file) { return Skin::targetSize(file) * 2; }
    // Decodes an image file, never holding more of it than `bound`; a null image on failure.
    static QImage decodeBounded(const QString& path, QSize bound);

private:
    struct Decoded {
        QString path;
        qint64 size = -1;
        QDateTime modified;
        QDateTime changed;
        QPixmap picture;
    };
    QPixmap pictureOf(SkinFile file, const QString& path);

    QString m_programDir;
    // The last folder skin's files, checked against the disk at every load.
    std::array<Decoded, kSkinFileCount> m_last;
    int m_decodes = 0;
};

} // namespace zarvik
