#include "panel/Speaker.h"

#ifdef ZARVIK_HAVE_SPEECH
#include <QLocale>
#include <QTextToSpeech>
#include <QtGlobal>
#endif

namespace zarvik {

namespace {

class NoSpeaker final : public Speaker {
public:
    bool available() const override { return false; }
    void say(const QString&) override {}
};

#ifdef ZARVIK_HAVE_SPEECH
// The engines complain on standard error where the service cannot be reached; a desktop
// without speech is no fault worth a line at every start.
void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

class TextToSpeechSpeaker final : public Speaker {
public:
    TextToSpeechSpeaker()
    {
        const QtMessageHandler previous = qInstallMessageHandler(quiet);
        const QStringList engines = QTextToSpeech::availableEngines();
        if (!engines.isEmpty()) {
            m_speech = std::make_unique<QTextToSpeech>(engines.first());
            if (m_speech->state() == QTextToSpeech::BackendError || m_speech->availableVoices().isEmpty()) {
                m_speech.reset();
            } else {
                // Headwords are English: an English voice where the engine has one.
                for (const QLocale& locale : m_speech->availableLocales()) {
                    if (locale.language() == QLocale::English) {
                        m_speech->setLocale(locale);
                        break;
                    }
                }
            }
        }
        qInstallMessageHandler(previous);
    }
    bool available() const override { return m_speech != nullptr; }
    void say(const QString& text) override
    {
        if (m_speech)
            m_speech->say(text);
    }

private:
    std::unique_ptr<QTextToSpeech> m_speech;
};
#endif

} // namespace

std::unique_ptr<Speaker> makeSpeaker()
{
#ifdef ZARVIK_HAVE_SPEECH
    auto speaker = std::make_unique<TextToSpeechSpeaker>();
    if (speaker->available())
        return speaker;
#endif
    return std::make_unique<NoSpeaker>();
}

} // namespace zarvik
