#pragma once
// Puts a double of the data folder's writes in place of the system's while it
// lives.
#include "platform/DataWrites.h"

#include <memory>

namespace platform::testing {

template <class Double> class InstalledWrites {
public:
    InstalledWrites() {
        auto d = std::make_unique<Double>();
        double_ = d.get();
        setDataWrites(std::move(d));
    }
    ~InstalledWrites() { setDataWrites(nullptr); }
    InstalledWrites(const InstalledWrites&) = delete;
    InstalledWrites& operator=(const InstalledWrites&) = delete;
    Double& operator*() const { return *double_; }
    Double* operator->() const { return double_; }

private:
    Double* double_;
};

} // namespace platform::testing
