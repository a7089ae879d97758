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

    QTemporaryDir dir;
    platform::testing::FakePlatform fakes;
};

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

} // namespace fyn::test
