// Every server test program is a single-threaded-apartment client, as
// Bralto's main window is.
#include <objbase.h>

#include <gtest/gtest.h>

namespace {

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    void TearDown() override { CoUninitialize(); }
};

const auto* const comEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

}  // namespace
