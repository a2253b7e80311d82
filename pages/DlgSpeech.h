// "文字广播": a text in Chinese or English, spoken by espeak-ng at the chosen speed. It can be heard
// first on the monitor output chosen on the settings page ("试听": nothing goes on air, no task
// pauses, no history line; refused during an emergency, stopped by its start), played now to the
// receivers ticked on the zone control page, or saved as a WAV file to add to a task. Rendering and
// listening run off the user-interface thread; a text that cannot be spoken is refused with the
// renderer's message. Closing the dialog cuts a render short and drops it, and stops listening.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "audio/SpeechRenderer.h"
#include "base/WorkerThread.h"
#include "store/Labels.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;

namespace lumetra {

class CStation;

class CDlgSpeech : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kNoMonitorText = "请先在“系统设置”页的“监听输出”中选择试听用的声音输出。";

    // `tickedZones` reads the zone control page's ticks when the text is played.
    CDlgSpeech(CStation& station, std::function<ChannelFlags()> tickedZones, QWidget* parent);

    QPlainTextEdit* TextEdit() const { return m_text; }
    QSlider* SpeedSlider() const { return m_speed; }
    QPushButton* ListenButton() const { return m_listen; }
    QPushButton* StopListeningButton() const { return m_stopListening; }
    QPushButton* PlayButton() const { return m_play; }
    // Renders and copies the file to `path` (the "另存为" button asks for it).
    void SaveTo(const QString& path);
    void done(int result) override;
    // 试听 follows the monitor output chosen now.
    void ShowMonitorChoice();
    void StopListening();

signals:
    // A render has finished (refused or not) and its result was used.
    void Done();

private:
    // Renders the text on a thread, then calls `use` with the file on this thread.
    void Render(std::function<void(const std::string& file)> use);
    void Finish(const SpeechResult& result, const std::function<void(const std::string& file)>& use);
    void EnableButtons(bool enable);
    void OnListen();
    void Listen(const std::string& file);
    void OnListened(const std::string& error);
    void OnPlay();

    CStation& m_station;
    std::function<ChannelFlags()> m_tickedZones;
    CSpeechRenderer m_renderer;
    QPlainTextEdit* m_text;
    QSlider* m_speed;
    QLabel* m_speedText;
    QPushButton* m_listen;
    QPushButton* m_stopListening;
    QPushButton* m_play;
    QPushButton* m_save;
    CWorkerThread m_render;
    CWorkerThread m_listening;  // plays a rendered text on the monitor
    bool m_rendering = false;
};

// Where rendered texts are kept: the user's cache folder.
std::string SpeechCacheFolder();

}  // namespace lumetra
