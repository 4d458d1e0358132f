#pragma once

#include "web/NetworkHttpClient.h"
#include "web/UpdateCheck.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

class QWidget;

namespace kestrio {

class AppContext;

// The main window's update check: one tick a few seconds after the window shows, then the
// check runs in the background. A newer version is offered; when the user takes it, the
// window is closed (storing what closing always stores) and the program ends.
class NewEditionCheck final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds kDelay{3000};

    // `window` is closed when the updater has started.
    NewEditionCheck(AppContext& app, QWidget& window);

    // The designer's question about unsaved changes; false keeps the program running.
    void SetUnsavedChangesQuestion(std::function<bool()> question) { mUnsavedChangesQuestion = std::move(question); }
    // Closes the window once the updater runs, without asking about the changes again;
    // false when the window stayed open (the program then keeps running).
    void SetCloseWindow(std::function<bool()> close) { mCloseWindow = std::move(close); }
    // Starts the one tick; later calls do nothing, so the check runs once per run.
    void Start(std::chrono::milliseconds delay = kDelay);
    UpdateCheck& Check() { return mCheck; }
    // True once the check has answered (whatever it found).
    bool Done() const { return mDone; }

private:
    void OnTick();
    void OnOutcome(const UpdateCheck::Outcome& outcome);

    QWidget& mWindow;
    NetworkHttpClient mHttp;
    UpdateCheck mCheck;
    QTimer mTimer;
    std::function<bool()> mUnsavedChangesQuestion;
    std::function<bool()> mCloseWindow;
    bool mStarted = false;
    bool mDone = false;
};

} // namespace kestrio
