#pragma once
// What the tests share: a scratch folder and a fresh program state.
#include "core/State.h"
#include "platform/testing/FakePlatform.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace fyn::test {

// A scratch drive root with the platform doubles and a fresh shared state.
class Sandbox : public ::testing::Test {
protected:
    Sandbox();
    ~Sandbox() override;
    QString path(const QString& relative) const;
    // The last box shown; none shown fails the test that waited for it.
    const platform::testing::MessageCall& lastBox() const;

    QTemporaryDir dir;
    platform::testing::FakePlatform fakes;
};

// The last box a double was asked to show, or an empty one with a failure of
// the test when it was asked none.
const platform::testing::MessageCall& lastBox(const platform::testing::FakeMessages& messages);

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace fyn::test
