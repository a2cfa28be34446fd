#pragma once

#include "../WindowsApi.h"

#include <objbase.h>

namespace vespern::ui {

// Joins the thread to a single-threaded COM apartment for as long as it lives; a thread that is
// already in one stays there (the call is counted and balanced all the same).
class ComApartment {
public:
    ComApartment()
        : joined_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    {
    }
    ~ComApartment()
    {
        if (joined_)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool joined_;
};

} // namespace vespern::ui
