// QuorSim's hardware on its own, under Wine: the pipe its remote listens on, the remote
// chosen by the environment, and the UART state it leaves behind.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/win32/pipe_line_server.h"
#include "port/port.h"
#include "quorsim/sim_remote_link.h"
#include "ui/program_hardware.h"

namespace ovalink {
namespace {

std::string Ask(const std::string& request) {
  std::string reply;
  EXPECT_TRUE(CallPipeLine(kSimRemotePipe, request, &reply, 5000)) << request;
  return reply;
}

TEST(PipeLineServerTest, AnswersEachRequestAndSurvivesBadHandlers) {
  const std::string name = "\\\\.\\pipe\\OvalinkPipeTest";
  PipeLineServer server(name, [](const std::string& request) -> std::string {
    if (request == "throw") throw std::runtime_error("boom");
    return "echo " + request;
  });
  ASSERT_TRUE(server.Serving());
  PipeLineServer second(name, [](const std::string&) { return std::string("second"); });
  EXPECT_FALSE(second.Serving()) << "a name is served by one server only";
  std::string reply;
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(CallPipeLine(name, "hello " + std::to_string(i), &reply, 5000));
    EXPECT_EQ(reply, "echo hello " + std::to_string(i));
  }
  ASSERT_TRUE(CallPipeLine(name, "throw", &reply, 5000));
  EXPECT_EQ(reply, "error: boom");
  EXPECT_FALSE(CallPipeLine("\\\\.\\pipe\\OvalinkNobodyHere", "x", &reply, 100));
}

TEST(SimProgramHardwareTest, RemoteFromEnvironmentAndUartStateAtTheEnd) {
  const std::string file = "sim_hardware_test.uart";
  std::remove(file.c_str());
  _putenv_s(kSimRemoteVariable, "builtin:rc5");
  _putenv_s(kSimUartFileVariable, file.c_str());
  {
    std::unique_ptr<ProgramHardware> hardware = CreateProgramHardware();
    EXPECT_EQ(Ask("remote"), "ok builtin:rc5");
    EXPECT_EQ(Ask("uart"), "ok divisor=12 line-control=0x03");
    Port port(hardware->Io());
    ASSERT_TRUE(port.DriverAvailable());
    ASSERT_EQ(port.DetectPort(), 0x3F8);
    EXPECT_EQ(Ask("uart"), "ok divisor=1 line-control=0x00");
    EXPECT_EQ(Ask("press KEY_PLAY 200").rfind("ok start=", 0), 0u);
    EXPECT_EQ(Ask("press KEY_NOPE").rfind("error: ", 0), 0u);
    port.SetBase(0);
  }
  _putenv_s(kSimRemoteVariable, "");
  _putenv_s(kSimUartFileVariable, "");
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "divisor=12 line-control=0x03");
  std::string reply;
  EXPECT_FALSE(CallPipeLine(kSimRemotePipe, "remote", &reply, 100)) << "the pipe ends with the hardware";
}

}  // namespace
}  // namespace ovalink
