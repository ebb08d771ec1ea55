#include "settings/OptionsChoices.h"

#include "settings/Settings.h"

#include <QFileInfo>

namespace zarvik {

namespace {
// A check box is ticked by the number 1; anything else but a number reads as the key's
// default (the store's rule for hand-edited values).
bool box(const Settings& settings, Key key)
{
    return settings.numberIs(key, 1);
}
} // namespace

OptionsChoices OptionsChoices::read(const Settings& settings)
{
    const auto box = [&](Key key) { return zarvik::box(settings, key); };
    OptionsChoices c;
    c.showsplash = box(Key::ShowSplash);
    c.apps = Settings::appsEntries(settings.text(Key::Apps));
    c.showpanel = box(Key::ShowPanel);
    c.hide5sec = box(Key::hide5sec);
    c.hidelastfocus = box(Key::lastfocus);
    c.bigpanel = box(Key::bigpanel);
    c.transbuffer = box(Key::Buffer);
    c.transclick = box(Key::OnClick);
    std::tie(c.trans2clk, c.trans3clk) =
        clickModes(settings.boolean(Key::twoclk), settings.boolean(Key::threeclk));
    c.findword = box(Key::findword);
    c.showquestions = box(Key::questions);
    c.showtranscription = box(Key::ShowTranscription);
    c.keepjournal = box(Key::KeepJournal);
    return c;
}

std::pair<bool, bool> OptionsChoices::clickModes(bool twoclk, bool threeclk)
{
    return {twoclk && !threeclk, threeclk};
}

QString OptionsChoices::programName(const QString& chosenPath)
{
    const QFileInfo chosen(chosenPath);
    // A running program is named by its executable as the kernel resolved it; a link that
    // leads nowhere keeps its own name.
    const QString target = chosen.canonicalFilePath();
    return QFileInfo(target.isEmpty() ? chosenPath : target).fileName();
}

bool OptionsChoices::isListed(const QStringList& apps, const QString& name)
{
    const QString upper = name.toUpper();
    for (const QString& entry : apps) {
        if (entry.toUpper() == upper)
            return true;
    }
    return false;
}

OptionsChoices::PanelChange OptionsChoices::panelChange(const QString& previousShowPanel, bool showpanel)
{
    const std::optional<double> previous = settingsNumber(previousShowPanel);
    if (!previous)
        return PanelChange::None;
    if (*previous == 1 && !showpanel)
        return PanelChange::Hide;
    if (*previous == 0 && showpanel)
        return PanelChange::Show;
    return PanelChange::None;
}

QString OptionsChoices::skinToStore(bool previewVisible, const std::optional<QString>& selected,
                                    const QString& stored)
{
    if (!previewVisible)
        return kBuiltInSkin;
    return selected ? *selected : stored;
}

void OptionsChoices::write(Settings& settings, const QString& skin, const std::function<bool()>& applySkin,
                           const std::function<void(PanelChange)>& changePanel) const
{
    settings.write(Key::skinname, skin);
    if (!applySkin() && skin != kBuiltInSkin) {
        settings.write(Key::skinname, kBuiltInSkin);
        applySkin();
    }
    settings.writeFlag(Key::ShowSplash, showsplash);
    settings.write(Key::Apps, Settings::appsText(apps));
    const QString previous =
        settings.text(Key::ShowPanel, showpanel ? QStringLiteral("1") : QStringLiteral("0"));
    changePanel(panelChange(previous, showpanel));
    settings.writeFlag(Key::ShowPanel, showpanel);
    settings.writeFlag(Key::hide5sec, hide5sec);
    settings.writeFlag(Key::lastfocus, hidelastfocus);
    settings.writeFlag(Key::bigpanel, bigpanel);
    settings.writeFlag(Key::Buffer, transbuffer);
    settings.writeFlag(Key::OnClick, transclick);
    settings.writeOption(Key::twoclk, trans2clk);
    settings.writeOption(Key::threeclk, trans3clk);
    settings.writeFlag(Key::findword, findword);
    settings.writeFlag(Key::questions, showquestions);
    // The transcription key is written only when the box says otherwise than the store reads:
    // a user who never touched it keeps the store of the thirteen keys the dialog has always
    // written, and the default ("0") stays in force for them.
    if (box(settings, Key::ShowTranscription) != showtranscription)
        settings.writeFlag(Key::ShowTranscription, showtranscription);
    settings.writeFlag(Key::KeepJournal, keepjournal);
}

} // namespace zarvik
