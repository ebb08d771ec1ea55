#pragma once

#include <QString>
#include <memory>

namespace zarvik {

// Says a headword aloud through the desktop's speech service.
class Speaker {
public:
    Speaker() = default;
    virtual ~Speaker() = default;
    Speaker(const Speaker&) = delete;
    Speaker& operator=(const Speaker&) = delete;

    // Whether there is an engine with a voice to speak with.
    virtual bool available() const = 0;
    virtual void say(const QString& text) = 0;
};

// The desktop's speech service (Qt TextToSpeech, over speech-dispatcher on Linux). Made when
// first needed, never at start: connecting to the service costs time and memory that a user
// who never opens an article should not pay. Where the program is built without Qt
// TextToSpeech, or the desktop has no engine or voice, the speaker is not available and says
// nothing, on the screen or on standard error.
std::unique_ptr<Speaker> makeSpeaker();

} // namespace zarvik
