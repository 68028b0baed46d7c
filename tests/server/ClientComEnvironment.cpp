// The client test programs are single-threaded-apartment clients, as
// Bralto's main window is, and end as it does: the servers let go of the
// event sinks before COM is uninitialized.
#include "QnrZipClient.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ClientComEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        apartment_ = std::make_unique<qnr::client::ClientApartment>();
        ASSERT_HRESULT_SUCCEEDED(apartment_->Result());
    }
    void TearDown() override { apartment_.reset(); }

private:
    std::unique_ptr<qnr::client::ClientApartment> apartment_;
};

const auto* const clientEnvironment = ::testing::AddGlobalTestEnvironment(new ClientComEnvironment);

}  // namespace
