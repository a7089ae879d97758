#pragma once
// The save box answered from a script: each answer is a path, or an empty
// text for a cancelled box. A box without an answer throws UnscriptedCall.
#include "platform/FileDialogs.h"
#include "platform/testing/FakePlatform.h"

#include <QWidget>
#include <deque>
#include <vector>

namespace platform::testing {

struct SaveCall {
    QString parent; // objectName of the window that asked
    SaveRequest request;
};

class FakeFileDialogs final : public FileDialogs {
public:
    std::deque<QString> answers;
    std::vector<SaveCall> calls;
    QString saveFileName(QWidget* parent, const SaveRequest& request) override {
        calls.push_back({parent ? parent->objectName() : QString(), request});
        if (answers.empty())
            throw UnscriptedCall{QStringLiteral("save box")};
        const QString a = answers.front();
        answers.pop_front();
        return a;
    }
};

} // namespace platform::testing
