#pragma once
// The control that records one global shortcut into a settings field: a button showing the
// combination, and a clear button beside it. Clicked, it listens to the next key press of
// the program (an application event filter) and, on X, holds the keyboard grab, so keys the
// desktop keeps for itself reach it too. While it records, the model suspends every global
// hotkey; the recorded value is written before the suspension ends, so the hotkeys come back
// with it. One recording at a time: starting one ends any other, which keeps its value.
#include <functional>
#include <memory>
#include <optional>

#include <QObject>
#include <QWidget>

#include "app/AppModel.h"
#include "core/Presets.h"
#include "ui/settings/HotkeyRecorderRules.h"
#include "ui/views/SettingField.h"

class QAbstractButton;
class QKeyEvent;

namespace orvane {

namespace kit {
class SystemButton;
class PressableButton;
class Text;
}  // namespace kit

// One recording: from construction, every key press of the program is classified and
// swallowed until end() (or the session's destruction) removes the filter.
class RecorderSession final : public QObject {
public:
    using Result = RecorderRules::Result;

    // `done` is called once a press settles the recording; it may destroy the session.
    // `keyboard` names hardware keys (absent: each press is known by Qt's key alone).
    RecorderSession(std::function<void(Result)> done, platform::Keyboard* keyboard, std::function<void()> beep);
    ~RecorderSession() override;

    // Removes the filter; a second call does nothing.
    void end();
    bool monitoring() const { return monitoring_; }

    // One key press, by stored key code and event flags.
    void handle(std::uint16_t keyCode, std::uint64_t flags);
    // One key press as Qt reports it: a modifier alone is swallowed and nothing more, a key
    // the stored codes cannot name beeps.
    void handle(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(Result)> done_;
    platform::Keyboard* keyboard_;
    std::function<void()> beep_;
    bool monitoring_ = false;
};

// Under the combination, while nothing records, a line says when it cannot work: another
// Orvane shortcut has it too ("Already used by Wind down", with a button that moves it here)
// or the desktop refused it at the last registration ("Taken by another program"). Only a
// recorder that knows its owner looks for clashes.
class HotkeyRecorder final : public QWidget {
public:
    using Field = kit::SettingField<std::optional<Hotkey>>;
    explicit HotkeyRecorder(std::unique_ptr<Field> hotkey, QWidget* parent = nullptr,
                            std::optional<RecorderRules::Owner> owner = std::nullopt);
    ~HotkeyRecorder() override;

    bool isRecording() const { return session_ != nullptr; }
    RecorderSession* session() const { return session_.get(); }
    QAbstractButton& mainButton() const;
    QAbstractButton& clearButton() const;
    // The line under the combination and its button; hidden while there is nothing to say.
    const kit::Text& problemText() const { return *problem_; }
    QAbstractButton& moveButton() const;
    // Reads the field again.
    void refresh();

    // The system alert sound of a refused press; tests count it.
    std::function<void()> beep;

    // The recorder that records now, if any.
    static HotkeyRecorder* recording();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    enum class Suspension { lift, keep };
    void start();
    void stop(Suspension suspension = Suspension::lift);
    void endRecording(Suspension suspension);
    void finish(const RecorderSession::Result& result);
    void grabKeys();

    std::unique_ptr<Field> hotkey_;
    std::shared_ptr<AppModel> model_;
    kit::SystemButton* main_;
    kit::PressableButton* clear_;
    std::optional<RecorderRules::Owner> owner_;
    QWidget* problemRow_;
    kit::Text* problem_;
    kit::SystemButton* move_;
    Subscription refusals_;
    std::unique_ptr<RecorderSession> session_;
    bool grabbed_ = false;
    Subscription settings_;
};

}  // namespace orvane
