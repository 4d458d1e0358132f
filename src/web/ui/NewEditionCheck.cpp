#include "NewEditionCheck.h"

#include <QCoreApplication>
#include <QWidget>

namespace kestrio {

NewEditionCheck::NewEditionCheck(AppContext& app, QWidget& window)
    : QObject(&window), mWindow(window), mCheck(app, mHttp)
{
    mTimer.setSingleShot(true);
    connect(&mTimer, &QTimer::timeout, this, &NewEditionCheck::OnTick);
}

void NewEditionCheck::Start(std::chrono::milliseconds delay)
{
    if (mStarted) return;
    mStarted = true;
    mTimer.start(delay);
}

// Without a server address the check answers at once and nothing goes to the network.
void NewEditionCheck::OnTick()
{
    mCheck.CheckNewEdition([this](const UpdateCheck::Outcome& outcome) { OnOutcome(outcome); });
}

void NewEditionCheck::OnOutcome(const UpdateCheck::Outcome& outcome)
{
    mDone = true;
    if (outcome.state != UpdateCheck::State::Newer) return;
    mCheck.OfferUpdate(outcome.newest, {mUnsavedChangesQuestion, [this] {
                                            // The window stores what closing always stores; a
                                            // window that stays open keeps the program running.
                                            const bool closed = mCloseWindow ? mCloseWindow() : mWindow.close();
                                            if (closed) QCoreApplication::quit();
                                        }});
}

} // namespace kestrio
