// quorsma opcua seen by open62541's own client, for the services node-opcua's
// client does not offer: no client changes the address space, and attributes
// other than a device's value cannot be written.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <string>

#include "child_process.h"
#include "open62541.h"

namespace {

using quorsma::testing::ChildProcess;

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

UA_Logger g_silent = {[](void*, UA_LogLevel, UA_LogCategory, const char*, va_list) {}, nullptr, nullptr};

TEST(OpcuaStackClient, NoClientChangesTheAddressSpace) {
  quorsma::testing::ScratchDir dir("opcua_stack");
  const int port = FreePort();
  const std::string url = "opc.tcp://127.0.0.1:" + std::to_string(port);
  ChildProcess server(QSMA_TEST_TOOL,
                      {"opcua", "--listen", url, "--nodes", "D0..D9", "--data-dir", (dir.path() / "data").string()},
                      {{"QUORSMA_SECTION", quorsma::testing::UniqueSectionName("opcua_stack")}});
  ASSERT_NE(server.ReadLine().find("listening on"), std::string::npos);

  UA_ClientConfig config;
  std::memset(&config, 0, sizeof config);
  config.logging = &g_silent;
  UA_ClientConfig_setDefault(&config);
  UA_Client* client = UA_Client_newWithConfig(&config);
  ASSERT_EQ(UA_Client_connect(client, url.c_str()), UA_STATUSCODE_GOOD);
  const UA_UInt16 ns = 2;  // 0 the standard, 1 the server's application
  const UA_NodeId d1 = UA_NODEID_STRING(ns, const_cast<char*>("D1"));

  UA_StatusCode status = UA_Client_deleteNode(client, d1, true);
  EXPECT_EQ(status, UA_STATUSCODE_BADUSERACCESSDENIED) << UA_StatusCode_name(status);
  UA_VariableAttributes attr = UA_VariableAttributes_default;
  status = UA_Client_addVariableNode(client, UA_NODEID_STRING(ns, const_cast<char*>("D99")),
                                     UA_NODEID_NUMERIC(0, UA_NS0ID_OBJECTSFOLDER),
                                     UA_NODEID_NUMERIC(0, UA_NS0ID_ORGANIZES), UA_QUALIFIEDNAME(ns, const_cast<char*>("D99")),
                                     UA_NODEID_NUMERIC(0, UA_NS0ID_BASEDATAVARIABLETYPE), attr, nullptr);
  EXPECT_EQ(status, UA_STATUSCODE_BADUSERACCESSDENIED) << UA_StatusCode_name(status);
  UA_LocalizedText text = UA_LOCALIZEDTEXT(const_cast<char*>(""), const_cast<char*>("renamed"));
  status = UA_Client_writeDisplayNameAttribute(client, d1, &text);
  EXPECT_NE(status, UA_STATUSCODE_GOOD);
  UA_Int32 one = 1;
  UA_Variant value;
  UA_Variant_setScalar(&value, &one, &UA_TYPES[UA_TYPES_INT32]);
  status = UA_Client_writeValueAttribute(client, d1, &value);
  EXPECT_EQ(status, UA_STATUSCODE_BADNOTWRITABLE) << UA_StatusCode_name(status);

  // D1 is still there, under its name; D10 was never served.
  UA_LocalizedText name;
  ASSERT_EQ(UA_Client_readDisplayNameAttribute(client, d1, &name), UA_STATUSCODE_GOOD);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name.text.data), name.text.length), "D1");
  UA_LocalizedText_clear(&name);
  UA_Variant read;
  UA_Variant_init(&read);
  status = UA_Client_readValueAttribute(client, UA_NODEID_STRING(ns, const_cast<char*>("D10")), &read);
  EXPECT_EQ(status, UA_STATUSCODE_BADNODEIDUNKNOWN) << UA_StatusCode_name(status);
  UA_Variant_clear(&read);

  UA_Client_disconnect(client);
  UA_Client_delete(client);
  server.Kill(SIGTERM);
  EXPECT_EQ(server.Wait().exit_code, 0);
}

}  // namespace
