// SPDX-License-Identifier: MIT
// Commands, registers, the ID memory and replies of the simulated camera,
// reached through the driver connection.
#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <thread>

#include "device/command_codes.h"
#include "platform/driver/driver_wire.h"
#include "raw_driver_requests.h"
#include "sim/thermal_model.h"
#include "sim_fixture.h"

namespace quelix::test {
namespace {

using sim::FpgaWriteRecord;

class SimulatedCameraRegisters : public SimulatedCameraTest {
protected:
    void SetUp() override
    {
        StartCameras();
        device_ = std::make_unique<OpenDevice>();
        ASSERT_TRUE(device_->Valid());
    }
    DriverHandle Handle() const { return device_->Handle(); }

    std::unique_ptr<OpenDevice> device_;
};

TEST_F(SimulatedCameraRegisters, WindowTransferLengthAndSampleWidthFollowTheirRegisters)
{
    // As the library sets a window of 320 x 256: halves, then the length with
    // register 0 written first as 0xFF and last as its real value.
    for (auto [reg, value] : {std::pair{16, 0},
                              {17, 0},
                              {18, 160},
                              {19, 127},
                              {0, 0xFF},
                              {1, 0x44},
                              {2, 0x01},
                              {3, 0x00},
                              {0, 0x00}})
        ASSERT_TRUE(WriteFpga(Handle(), uint8_t(reg), uint8_t(value)));
    EXPECT_EQ(Camera().Status().transferSamples, 82944u);

    ASSERT_TRUE(WriteFpga(Handle(), 16, 2));  // x = 5 arrives halved
    ASSERT_TRUE(WriteFpga(Handle(), 17, 10));
    ASSERT_TRUE(WriteFpga(Handle(), 18, 50));
    ASSERT_TRUE(WriteFpga(Handle(), 19, 19));
    EXPECT_EQ(Camera().Status().window, (sim::Window{4, 20, 100, 40}));
    ASSERT_TRUE(WriteFpga(Handle(), 16, 150));  // 300 + 100 is cut at the sensor's edge
    EXPECT_EQ(Camera().Status().window, (sim::Window{300, 20, 20, 40}));

    ASSERT_TRUE(SendCommand(Handle(), {CmdSetTransferSize, 0x00, 0x18, 0x00, 0x00}));
    EXPECT_EQ(Camera().Status().transferSamples, 6144u);
    EXPECT_EQ(ReadFpga(Handle(), 1), 0x18) << "the command and registers 0 to 3 are one value";

    // The model's SetWordMode: the command asks for 16 bits, register 14 decides.
    ASSERT_TRUE(SendCommand(Handle(), {CmdSetWordMode, 1}));
    ASSERT_TRUE(WriteFpga(Handle(), 14, 8));
    EXPECT_FALSE(Camera().Status().sixteenBit);
    ASSERT_TRUE(WriteFpga(Handle(), 14, 10));
    EXPECT_EQ(ReadFpga(Handle(), 14), 8) << "register 14 takes only 8 and 9";
    ASSERT_TRUE(SendCommand(Handle(), {CmdSetWordMode, 1}));
    EXPECT_TRUE(Camera().Status().sixteenBit);
    EXPECT_FALSE(SendCommand(Handle(), {CmdSetWordMode, 2}));
    EXPECT_TRUE(Camera().Status().sixteenBit);
}

TEST_F(SimulatedCameraRegisters, ReadWriteRegistersRoundTripAndReadOnlyOnesKeepTheirValues)
{
    for (uint8_t reg : {7, 20, 23, 25, 32, 33, 200}) {
        ASSERT_TRUE(WriteFpga(Handle(), reg, uint8_t(reg ^ 0xA5)));
        EXPECT_EQ(ReadFpga(Handle(), reg), uint8_t(reg ^ 0xA5)) << int(reg);
    }
    EXPECT_EQ(Camera().Status().exposureLines, ((33 ^ 0xA5) << 8) | (32 ^ 0xA5));

    EXPECT_EQ(ReadFpga(Handle(), 15), 0);
    const uint8_t firmware[4] = {*ReadFpga(Handle(), 28), *ReadFpga(Handle(), 29), *ReadFpga(Handle(), 30),
                                 *ReadFpga(Handle(), 31)};
    for (uint8_t reg : {15, 26, 27, 28, 29, 30, 31})
        EXPECT_TRUE(WriteFpga(Handle(), reg, 0x77)) << "the write is taken, and changes nothing";
    EXPECT_EQ(ReadFpga(Handle(), 15), 0);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(ReadFpga(Handle(), uint8_t(28 + i)), firmware[i]);
    EXPECT_EQ(Camera().FpgaRegister(28), firmware[0]);
}

TEST_F(SimulatedCameraRegisters, WritesAndCommandsAreLoggedInOrderUntilCleared)
{
    Camera().ClearLogs();
    ASSERT_TRUE(WriteFpga(Handle(), 20, 3));
    ASSERT_TRUE(WriteFpga(Handle(), 15, 1));
    ASSERT_TRUE(ReadFpga(Handle(), 20));
    EXPECT_FALSE(SendCommand(Handle(), {0x77, 1, 2})) << "the camera refuses an unknown command";
    EXPECT_EQ(Camera().FpgaWrites(), (std::vector<FpgaWriteRecord>{{20, 3}, {15, 1}}));
    const std::vector<sim::Packet> commands = Camera().Commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0][0], CmdFpgaWrite);
    EXPECT_EQ(commands[2][0], CmdFpgaRead);
    EXPECT_EQ(commands[3][0], 0x77);
    EXPECT_EQ(commands[3][2], 2);
    Camera().ClearLogs();
    EXPECT_TRUE(Camera().FpgaWrites().empty());
    EXPECT_TRUE(Camera().Commands().empty());
}

TEST_F(SimulatedCameraRegisters, PhaseGainsReadBackTheirLow7BitsOtherSensorRegistersAll16)
{
    for (uint8_t reg : {43, 44, 45, 46}) {
        ASSERT_TRUE(WriteSensor(Handle(), reg, 0x01AB));
        EXPECT_EQ(ReadSensor(Handle(), reg), 0x2B) << int(reg);
        EXPECT_EQ(Camera().SensorRegister(reg), 0x2B);
    }
    ASSERT_TRUE(WriteSensor(Handle(), 10, 0x1234));
    EXPECT_EQ(ReadSensor(Handle(), 10), 0x1234);
}

TEST_F(SimulatedCameraRegisters, IdMemoryHoldsTheFactoryRecordAndTakesWrites)
{
    const std::array<uint8_t, 256> memory = Camera().IdMemory();
    EXPECT_EQ(std::memcmp(memory.data(), "QXID", 4), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(memory.data() + 8)), "Quelix205KWMX");
    const std::string serial(reinterpret_cast<const char*>(memory.data() + 0x18), 8);
    EXPECT_EQ(serial.find_first_not_of("0123456789"), std::string::npos) << serial;
    EXPECT_EQ(std::accumulate(memory.begin(), memory.begin() + 0x29, 0) % 256, 0) << "checksum";
    EXPECT_EQ(memory[0x80], 0xFF) << "erased";
    for (uint8_t address : {0x00, 0x08, 0x28})
        EXPECT_EQ(ReadIdMemory(Handle(), address), memory[address]);

    ASSERT_TRUE(WriteIdMemory(Handle(), 0x80, 0x42));
    EXPECT_EQ(ReadIdMemory(Handle(), 0x80), 0x42);
    EXPECT_EQ(Camera().IdMemory()[0x80], 0x42);

    // The bus header must be right: byte 2 counts three bytes written.
    EXPECT_FALSE(SendCommand(Handle(), {CmdSromWrite, kSromBusAddress, 0x02, kSromAddressHigh, 0x81, 0x11}));
    EXPECT_FALSE(SendCommand(Handle(), {CmdSromRead, 0x50, 0x02, 0x01, kSromAddressHigh, 0x81}));
    EXPECT_EQ(Camera().IdMemory()[0x81], 0xFF);
}

TEST_F(SimulatedCameraRegisters, RepliesBelongToTheirHandleAndAnswerTheLatestQuery)
{
    OpenDevice other;
    EXPECT_FALSE(ReadReply(other.Handle())) << "no query yet";
    ASSERT_TRUE(WriteFpga(Handle(), 7, 0x11));
    ASSERT_TRUE(WriteFpga(Handle(), 25, 0x22));
    ASSERT_TRUE(SendCommand(Handle(), {CmdFpgaRead, 7}));
    ASSERT_TRUE(SendCommand(other.Handle(), {CmdFpgaRead, 25}));
    EXPECT_EQ((*ReadReply(Handle()))[0], 0x11);
    EXPECT_EQ((*ReadReply(Handle()))[0], 0x11) << "as often as it is read";
    EXPECT_EQ((*ReadReply(other.Handle()))[0], 0x22);
    ASSERT_TRUE(WriteFpga(Handle(), 7, 0x33));
    EXPECT_EQ((*ReadReply(Handle()))[0], 0x11) << "a write is no query";

    std::vector<uint8_t> shortReply(63);
    const PipeResult result = PipeRequest(Handle(), driver_wire::kPipeTransferOut, 1, shortReply);
    EXPECT_FALSE(result.success);
    EXPECT_EQ(result.bytes, 63u);
    EXPECT_EQ(shortReply[0], 0x11);
    std::vector<uint8_t> shortPacket(63, 0);
    EXPECT_FALSE(PipeRequest(Handle(), driver_wire::kPipeTransferIn, 0, shortPacket).success)
        << "commands are whole packets";
}

TEST_F(SimulatedCameraRegisters, TheTimeoutRequestTakesOnlyItsBlock)
{
    ASSERT_TRUE(SetDriverTimeout(Handle(), 10000));
    EXPECT_EQ(Camera().Status().driverTimeoutMs, 10000u);
    uint8_t block[44] = {2, 0, 0, 0, 0x10, 0x27};
    EXPECT_FALSE(
        platform::DeviceIoControl(Handle(), driver_wire::kSetTimeout, block, 44, nullptr, 0, nullptr));
    block[0] = 1;
    EXPECT_FALSE(
        platform::DeviceIoControl(Handle(), driver_wire::kSetTimeout, block, 8, nullptr, 0, nullptr));
    EXPECT_EQ(Camera().Status().driverTimeoutMs, 10000u);
}

TEST_F(SimulatedCameraRegisters, TemperatureRegistersReportTheSensorAndThePeltierCools)
{
    const uint16_t reading = sim::TemperatureReading(25.0);
    EXPECT_EQ(reading, 922);  // 742.96 mV
    const auto high = ReadFpga(Handle(), 26);
    const auto low = ReadFpga(Handle(), 27);
    ASSERT_TRUE(high && low);
    EXPECT_EQ(*high * 16 + (*low & 0x0F), reading);

    ASSERT_TRUE(WriteFpga(Handle(), 25, 255));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_LT(Camera().Status().temperatureCelsius, 25.0);
    EXPECT_GT(Camera().Status().temperatureCelsius, sim::CoolingTarget(255));
}

TEST(ThermalModel, ApproachesTheCoolingTargetWithItsTimeConstant)
{
    EXPECT_DOUBLE_EQ(sim::CoolingTarget(0), 25.0);
    EXPECT_DOUBLE_EQ(sim::CoolingTarget(255), 25.0 - sim::kFullCoolingCelsius);
    const double target = sim::CoolingTarget(80);
    EXPECT_DOUBLE_EQ(sim::ApproachTemperature(25.0, target, 0.0), 25.0);
    EXPECT_NEAR(sim::ApproachTemperature(25.0, target, sim::kThermalTimeConstantSeconds),
                target + (25.0 - target) * 0.36788, 1e-3);
    EXPECT_NEAR(sim::ApproachTemperature(25.0, target, 100.0), target, 1e-6);
    // mV = 740 - (T - 27) x 1.48; reading = mV x 4096 / 3300, kept in 12 bits.
    EXPECT_EQ(sim::TemperatureReading(27.0), 918);
    EXPECT_EQ(sim::TemperatureReading(-15.0), uint16_t((740 + 42 * 1.48) * 4096 / 3300));
    EXPECT_EQ(sim::TemperatureReading(-2000.0), 4095);
    EXPECT_EQ(sim::TemperatureReading(600.0), 0);
    EXPECT_DOUBLE_EQ(sim::DarkCurrentFactor(31.0), 2.0);
}

}  // namespace
}  // namespace quelix::test
