#include "ui/settings/HotkeyRecorder.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/Log.h"
#include "ui/kit/Appearance.h"
#include "ui/kit/Buttons.h"
#include "ui/kit/FontBook.h"
#include "ui/kit/Panel.h"
#include "ui/kit/Symbols.h"
#include "ui/kit/Text.h"

namespace orvane {

namespace {

HotkeyRecorder* recordingNow = nullptr;

const platform::Log& log() {
    static const platform::Log l("hotkeys");
    return l;
}

// X's Lock bit in the state a key press carries.
constexpr quint32 xLockMask = 0x2;

// The keysym Qt's key stands for, unshifted as the stored codes are; for presses that come
// without a hardware code (synthetic ones, platforms without X).
std::optional<std::uint32_t> keysymForQtKey(int key, bool keypad) {
    // The keypad's keysyms are its characters moved up by 0xff80 (KP_0 is 0xffb0).
    if (keypad && ((key >= Qt::Key_Asterisk && key <= Qt::Key_9) || key == Qt::Key_Equal))
        return 0xff80u + static_cast<std::uint32_t>(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<std::uint32_t>(key - Qt::Key_A + 0x61);
    if (key >= Qt::Key_Space && key <= Qt::Key_ydiaeresis) return static_cast<std::uint32_t>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35) return 0xffbeu + static_cast<std::uint32_t>(key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Escape:
            return 0xff1b;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 0xff09;  // Shift+Tab is still the Tab key
        case Qt::Key_Backspace:
            return 0xff08;
        case Qt::Key_Return:
            return 0xff0d;
        case Qt::Key_Enter:
            return 0xff8d;
        case Qt::Key_Insert:
            return 0xff63;
        case Qt::Key_Delete:
            return 0xffff;
        case Qt::Key_Clear:
            return 0xff0b;
        case Qt::Key_Home:
            return 0xff50;
        case Qt::Key_End:
            return 0xff57;
        case Qt::Key_Left:
            return 0xff51;
        case Qt::Key_Up:
            return 0xff52;
        case Qt::Key_Right:
            return 0xff53;
        case Qt::Key_Down:
            return 0xff54;
        case Qt::Key_PageUp:
            return 0xff55;
        case Qt::Key_PageDown:
            return 0xff56;
        case Qt::Key_Shift:
            return 0xffe1;
        case Qt::Key_Control:
            return 0xffe3;
        case Qt::Key_CapsLock:
            return 0xffe5;
        case Qt::Key_Meta:
            return 0xffe7;
        case Qt::Key_Alt:
            return 0xffe9;
        case Qt::Key_Super_L:
        case Qt::Key_Super_R:
            return 0xffeb;
        case Qt::Key_Hyper_L:
        case Qt::Key_Hyper_R:
            return 0xffed;
        case Qt::Key_NumLock:
            return 0xff7f;
        case Qt::Key_AltGr:
            return 0xfe03;
        default:
            return std::nullopt;
    }
}

RecorderRules::KeyPress keyPressOf(const QKeyEvent& event, platform::Keyboard* keyboard) {
    RecorderRules::KeyPress press;
    // The hardware key first: Qt's key follows Shift ("!" for Shift+1), the stored code does not.
    if (keyboard && event.nativeScanCode() != 0) press.keysym = keyboard->unshiftedKeysym(event.nativeScanCode());
    if (!press.keysym) press.keysym = keysymForQtKey(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
    const auto mods = event.modifiers();
    press.shift = mods.testFlag(Qt::ShiftModifier);
    press.control = mods.testFlag(Qt::ControlModifier);
    press.alt = mods.testFlag(Qt::AltModifier);
    press.super = mods.testFlag(Qt::MetaModifier);
    // Only X tells whether Caps Lock is on.
    press.capsLock = kit::windowsAreX11() && (event.nativeModifiers() & xLockMask);
    return press;
}

}  // namespace

RecorderSession::RecorderSession(std::function<void(Result)> done, platform::Keyboard* keyboard,
                                 std::function<void()> beep)
    : done_(std::move(done)), keyboard_(keyboard), beep_(std::move(beep)) {
    if (auto* app = QCoreApplication::instance()) {
        app->installEventFilter(this);
        monitoring_ = true;
    }
}

RecorderSession::~RecorderSession() { end(); }

void RecorderSession::end() {
    if (!monitoring_) return;
    if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
    monitoring_ = false;
}

void RecorderSession::handle(std::uint16_t keyCode, std::uint64_t flags) {
    if (auto result = RecorderRules::classify(keyCode, flags)) {
        // `done` may end this session and destroy it: nothing of it is touched afterwards.
        auto done = done_;
        if (done) done(*result);
        return;
    }
    if (beep_) beep_();
}

void RecorderSession::handle(const QKeyEvent& event) {
    const auto press = RecorderRules::press(keyPressOf(event, keyboard_));
    if (std::holds_alternative<RecorderRules::ModifierOnly>(press)) return;
    if (const auto* key = std::get_if<RecorderRules::Key>(&press)) {
        handle(key->keyCode, key->flags);
        return;
    }
    if (beep_) beep_();
}

bool RecorderSession::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // Accepted, so no shortcut of a window fires; the key press follows and ends here.
            event->accept();
            return true;
        case QEvent::KeyPress:
            // A key press travels up the parents of its receiver; the first sight of it counts.
            handle(*static_cast<QKeyEvent*>(event));
            return true;  // `this` may be gone: return at once
        default:
            return QObject::eventFilter(watched, event);
    }
}

HotkeyRecorder::HotkeyRecorder(std::unique_ptr<Field> hotkey, QWidget* parent,
                               std::optional<RecorderRules::Owner> owner)
    : QWidget(parent), hotkey_(std::move(hotkey)), model_(hotkey_->sharedModel()), owner_(std::move(owner)) {
    beep = [] { QApplication::beep(); };
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(4);
    auto* row = new QHBoxLayout;
    column->addLayout(row);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addStretch(1);

    main_ = new kit::SystemButton(QString(), false, this);
    main_->setFont(kit::FontBook::monospaced(kit::TextStyle::body));
    main_->setMinimumWidth(120);
    row->addWidget(main_);

    clear_ = new kit::PressableButton(this);
    clear_->setContentSize(QSizeF(16, 16));
    clear_->setToolTip(QStringLiteral("Remove shortcut"));
    clear_->setAccessibleName(QStringLiteral("Remove shortcut"));
    clear_->setLabelPainter([clear = clear_](QPainter& painter, const QRectF& box, kit::Appearance appearance) {
        // Faded with the recorder where shortcuts cannot work.
        if (!clear->isEnabled()) painter.setOpacity(0.4);
        kit::Symbols::draw(painter, "xmark.circle.fill", box, kit::secondaryText(appearance));
    });
    // Its room stays when it hides, so the buttons of a column of recorders line up.
    QSizePolicy keep = clear_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    clear_->setSizePolicy(keep);
    row->addWidget(clear_);

    problemRow_ = new QWidget(this);
    auto* problemLayout = new QHBoxLayout(problemRow_);
    problemLayout->setContentsMargins(0, 0, 0, 0);
    problemLayout->setSpacing(8);
    problemLayout->addStretch(1);
    problem_ = new kit::Text(QString(), kit::FontBook::font(kit::TextStyle::caption), problemRow_);
    problem_->setLevel(kit::TextLevel::secondary);
    problem_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    problemLayout->addWidget(problem_);
    move_ = new kit::SystemButton(QString::fromUtf8(RecorderRules::moveHere), false, problemRow_);
    problemLayout->addWidget(move_);
    // Under the clear button's room, so the line ends where the buttons above end.
    problemLayout->addSpacing(16 + 8);
    column->addWidget(problemRow_);
    problemRow_->hide();
    connect(move_, &QAbstractButton::clicked, this, [this] {
        if (!model_ || !owner_) return;
        const auto value = hotkey_->value();
        const auto found = RecorderRules::problem(model_->settings(), model_->refusedHotkeys(), *owner_, value);
        if (!found || !found->movable) return;
        // The key leaves its other owners (shortcuts, presets) in one write.
        const auto hotkeys = kit::settingField<Settings>(
            model_, [](const Settings& s) { return s; },
            [](Settings& s, const Settings& edited) {
                s.shortcuts = edited.shortcuts;
                s.presets = edited.presets;
            });
        Settings edited = hotkeys->value();
        RecorderRules::clearHotkeys(edited, found->others);
        hotkeys->set(edited);
        refresh();
    });

    connect(main_, &QAbstractButton::clicked, this, [this] {
        if (isRecording()) stop();
        else start();
    });
    connect(clear_, &QAbstractButton::clicked, this, [this] {
        hotkey_->set(std::nullopt);
        refresh();
    });
    if (model_) {
        // Every settings change, not only this field's: the problem line reads the others.
        settings_ = model_->observeSettings([this](const Settings&, const Settings&) { refresh(); });
        refusals_ = model_->observe([this](AppModel::Property p) {
            if (p == AppModel::Property::refusedHotkeys) refresh();
        });
    }
    refresh();
}

HotkeyRecorder::~HotkeyRecorder() {
    settings_ = {};
    refusals_ = {};
    // No refresh: the field's owner may be going away with this recorder.
    endRecording(Suspension::lift);
}

QAbstractButton& HotkeyRecorder::mainButton() const { return *main_; }
QAbstractButton& HotkeyRecorder::clearButton() const { return *clear_; }
QAbstractButton& HotkeyRecorder::moveButton() const { return *move_; }

HotkeyRecorder* HotkeyRecorder::recording() { return recordingNow; }

void HotkeyRecorder::refresh() {
    const auto value = hotkey_->value();
    main_->setText(QString::fromStdString(RecorderRules::label(value, isRecording())));
    clear_->setVisible(RecorderRules::showsClearButton(value, isRecording()));
    main_->updateGeometry();
    std::optional<RecorderRules::Problem> found;
    if (model_ && owner_ && !isRecording())
        found = RecorderRules::problem(model_->settings(), model_->refusedHotkeys(), *owner_, value);
    if (found) {
        problem_->setText(QString::fromStdString(found->text));
        move_->setVisible(found->movable);
    }
    problem_->setVisible(found.has_value());
    if (problemRow_->isHidden() == found.has_value()) {
        problemRow_->setVisible(found.has_value());
        updateGeometry();
    }
}

void HotkeyRecorder::start() {
    // One recording at a time: the other ends with its value kept, and the suspension,
    // which both share, stays on.
    if (recordingNow && recordingNow != this)
        recordingNow->stop(recordingNow->model_ == model_ ? Suspension::keep : Suspension::lift);
    if (model_) model_->setHotkeysSuspended(true);
    platform::Keyboard* keyboard = model_ && model_->platform() ? &model_->platform()->keyboard() : nullptr;
    session_ = std::make_unique<RecorderSession>([this](const RecorderSession::Result& r) { finish(r); }, keyboard,
                                                 [this] {
                                                     if (beep) beep();
                                                 });
    recordingNow = this;
    grabKeys();
    refresh();
}

void HotkeyRecorder::finish(const RecorderSession::Result& result) {
    // The field first: the hotkeys come back from settings that already hold it.
    if (const auto* set = std::get_if<RecorderRules::Set>(&result)) hotkey_->set(set->hotkey);
    else if (std::holds_alternative<RecorderRules::Clear>(result)) hotkey_->set(std::nullopt);
    stop();
}

void HotkeyRecorder::stop(Suspension suspension) {
    endRecording(suspension);
    refresh();
}

void HotkeyRecorder::endRecording(Suspension suspension) {
    const bool wasRecording = isRecording();
    if (session_) session_->end();
    session_.reset();
    if (recordingNow == this) recordingNow = nullptr;
    if (grabbed_) {
        releaseKeyboard();
        grabbed_ = false;
    }
    // A recorder that was not recording leaves the flag alone: another may be recording.
    if (wasRecording && suspension == Suspension::lift && model_) model_->setHotkeysSuspended(false);
}

void HotkeyRecorder::grabKeys() {
    // Desktops keep some combinations for themselves with passive grabs; an active grab of
    // the keyboard comes before them.
    if (!kit::windowsAreX11()) return;
    grabKeyboard();
    grabbed_ = true;
    // grabKeyboard() does not say whether the server agreed; asking the window again does
    // (a second grab by the holder only renews it).
    QWindow* window = this->window()->windowHandle();
    if (!window || !window->setKeyboardGrabEnabled(true)) log().notice("hotkey recorder: keyboard grab refused");
}

void HotkeyRecorder::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    stop();
}

}  // namespace orvane
