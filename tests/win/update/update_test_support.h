#pragma once
// What the update tests share: a fixture with the scripted local HTTP server
// (routes and log cleared before each test).
#include <gtest/gtest.h>

#include "support/test_http_server.h"

namespace vantrel::test {

class HttpServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    server_ = TestHttpServer::Shared(&why);
    ASSERT_NE(server_, nullptr) << why;
    server_->Reset();
  }
  TestHttpServer* server_ = nullptr;
};

}  // namespace vantrel::test
