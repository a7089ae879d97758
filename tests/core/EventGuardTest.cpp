// The event loop's last resort for an error that no routine trapped.
#include "core/EventGuard.h"

#include "core/Errors.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

using namespace fyn;
using platform::Answer;
using platform::testing::ProgramEnded;

namespace {

// Throws from inside Qt's delivery of an event, as a handler without a trap would.
class Thrower : public QObject {
public:
    std::function<void()> onEvent;
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User)
            onEvent();
        return QObject::event(e);
    }
};

class EventGuardTest : public fyn::test::Sandbox {
protected:
    bool deliver(Thrower& receiver) {
        QEvent e(QEvent::User);
        return deliverGuarded([&] { return QCoreApplication::sendEvent(&receiver, &e); },
                              &receiver);
    }
};

TEST_F(EventGuardTest, AnEscapedErrorIsReportedAndTheProgramGoesOn) {
    Thrower receiver;
    receiver.onEvent = [] { raiseError("Path not found"); };
    fakes.messages->answers = {Answer::No}; // no error report
    EXPECT_TRUE(deliver(receiver));
    ASSERT_EQ(fakes.messages->calls.size(), 1u);
    EXPECT_EQ(fakes.messages->calls[0].title, "Felspec. = Path not found");
    EXPECT_TRUE(fakes.messages->calls[0].text.startsWith(
        "Ett fel har uppstått i subrutinen händelsehanteringen\nför "));

    // Any standard exception is an error of the runtime too.
    receiver.onEvent = [] { throw std::bad_alloc(); };
    fakes.messages->answers = {Answer::No};
    EXPECT_TRUE(deliver(receiver));
    EXPECT_EQ(lastBox().title, "Felspec. = Out of memory");
}

TEST_F(EventGuardTest, TheProgramsEndAndTheTestDoublesPass) {
    Thrower receiver;
    receiver.onEvent = [] { platform::programEnd().endNow(); };
    EXPECT_THROW(deliver(receiver), ProgramEnded);
    receiver.onEvent = [] { throw platform::testing::UnscriptedCall{"box"}; };
    EXPECT_THROW(deliver(receiver), platform::testing::UnscriptedCall);
    EXPECT_TRUE(fakes.messages->calls.empty());
    // A delivery that fails nothing answers for itself.
    EXPECT_FALSE(deliverGuarded([] { return false; }, &receiver));
}

} // namespace
