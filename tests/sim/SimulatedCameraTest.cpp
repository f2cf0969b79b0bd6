#include "SimulatedCamera.h"
#include "SimTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace nvusb_sim;
using namespace sim_test;

namespace {

class SimulatedCameraTest : public ::testing::Test {
protected:
    bool send(int command, const std::vector<uint8_t>& payload) {
        return camera.send(kDeviceHandle, command, nonNullData(payload), static_cast<int>(payload.size()));
    }

    std::vector<uint8_t> receive(int command, int length, bool* ok = nullptr) {
        std::vector<uint8_t> buffer(static_cast<size_t>(length), 0xEE);
        const bool received = camera.receive(kDeviceHandle, command, buffer.data(), length);
        if (ok != nullptr) *ok = received;
        return buffer;
    }

    int32_t signIn(int32_t account, const std::string& password) {
        EXPECT_TRUE(send(kCmdAccountType, intBytes(account)));
        EXPECT_TRUE(send(kCmdPassword, textBytes(password)));
        bool ok = false;
        const std::vector<uint8_t> verdict = receive(kCmdLoginVerdict, 4, &ok);
        EXPECT_TRUE(ok);
        return intAt(verdict);
    }

    SimulatedCamera camera;
};

struct SignInCase {
    const char* name;
    int32_t account;
    const char* password;
    int32_t verdict;
};

void PrintTo(const SignInCase& signIn, std::ostream* out) { *out << signIn.name; }

class SignInTest : public SimulatedCameraTest, public ::testing::WithParamInterface<SignInCase> {};

TEST_P(SignInTest, AnswersTheVerdictForTheAccountsStoredPassword) {
    EXPECT_EQ(signIn(GetParam().account, GetParam().password), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(DefaultPasswords, SignInTest,
                         ::testing::Values(SignInCase{"AdminAccepted", 0, "888888", kLoginAccepted},
                                           SignInCase{"UserAccepted", 1, "000000", kLoginAccepted},
                                           SignInCase{"AdminWithUserPassword", 0, "000000", kSignInRefused},
                                           SignInCase{"UserWithAdminPassword", 1, "888888", kSignInRefused},
                                           SignInCase{"AdminTooShort", 0, "88888", kSignInRefused},
                                           SignInCase{"AdminEmpty", 0, "", kSignInRefused},
                                           SignInCase{"UnknownAccount", 2, "888888", kSignInRefused}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedCameraTest, VerdictWithoutAnAccountTypeIsRefused) {
    ASSERT_TRUE(send(kCmdPassword, textBytes("888888")));
    EXPECT_EQ(intAt(receive(kCmdLoginVerdict, 4)), kSignInRefused);
}

TEST_F(SimulatedCameraTest, NewAccountTypeForgetsThePreviousPassword) {
    ASSERT_EQ(signIn(0, "888888"), kLoginAccepted);
    ASSERT_TRUE(send(kCmdAccountType, intBytes(0)));
    EXPECT_EQ(intAt(receive(kCmdLoginVerdict, 4)), kSignInRefused);
}

TEST_F(SimulatedCameraTest, ChangedPasswordsTakeEffectAtTheNextSignIn) {
    ASSERT_TRUE(send(kCmdUserPassword, textBytes("123456")));
    ASSERT_TRUE(send(kCmdAdminPassword, textBytes("654321")));
    EXPECT_TRUE(camera.takeStateChanged());

    EXPECT_EQ(signIn(1, "000000"), kSignInRefused);
    EXPECT_EQ(signIn(1, "123456"), kLoginAccepted);
    EXPECT_EQ(signIn(0, "888888"), kSignInRefused);
    EXPECT_EQ(signIn(0, "654321"), kLoginAccepted);
}

TEST_F(SimulatedCameraTest, ReadsTheDefaultStatus) {
    const std::vector<uint8_t> resolution = receive(kCmdResolution, 8);
    EXPECT_EQ(intAt(resolution, 0), 1920);
    EXPECT_EQ(intAt(resolution, 4), 1080);
    EXPECT_EQ(intAt(receive(kCmdBattery, 4)), 85);
}

TEST_F(SimulatedCameraTest, DefaultIdentityHoldsPlausibleIds) {
    const std::vector<uint8_t> record = receive(kCmdIdentity, kIdentityRecordSize);
    EXPECT_STREQ(reinterpret_cast<const char*>(&record[0]), "CAM0001");
    EXPECT_STREQ(reinterpret_cast<const char*>(&record[8]), "000001");
    EXPECT_EQ(record[15], 0);  // user name empty
    EXPECT_STREQ(reinterpret_cast<const char*>(&record[48]), "D01");
    EXPECT_EQ(record[61], 0);  // department name empty
}

TEST_F(SimulatedCameraTest, KeepsIdentityAndSerialNumberByteForByte) {
    std::vector<uint8_t> record(kIdentityRecordSize);
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(255 - i);
    std::vector<uint8_t> serial(kSerialNoLength);
    for (size_t i = 0; i < serial.size(); ++i) serial[i] = static_cast<uint8_t>(i * 7);

    ASSERT_TRUE(send(kCmdIdentity, record));
    ASSERT_TRUE(send(kCmdSetSerial, serial));

    EXPECT_EQ(receive(kCmdIdentity, kIdentityRecordSize), record);
    EXPECT_EQ(receive(kCmdReadSerial, kSerialNoLength), serial);
}

TEST_F(SimulatedCameraTest, StoresTheClockAsSent) {
    const ClockFields fields = {30, 15, 14, 15, 2, 119, 5, 73, 0};  // 2019-03-15 14:15:30
    std::vector<uint8_t> payload;
    for (int32_t field : fields) {
        const std::vector<uint8_t> bytes = intBytes(field);
        payload.insert(payload.end(), bytes.begin(), bytes.end());
    }
    ASSERT_TRUE(send(kCmdClock, payload));
    ASSERT_TRUE(camera.state().clock.has_value());
    EXPECT_EQ(*camera.state().clock, fields);
    EXPECT_EQ(formatClock(fields), "2019-03-15 14:15:30");
}

TEST_F(SimulatedCameraTest, CountsStorageModeAndFormats) {
    ASSERT_TRUE(send(kCmdStorageMode, intBytes(1)));
    ASSERT_TRUE(send(kCmdFormat, intBytes(1)));
    ASSERT_TRUE(send(kCmdFormat, intBytes(1)));
    EXPECT_EQ(intAt(receive(kCmdFormat, 4)), 0);
    EXPECT_EQ(camera.state().storageModeCount, 1);
    EXPECT_EQ(camera.state().formatCount, 2);
}

TEST_F(SimulatedCameraTest, FormatAnswersTheStoredVerdict) {
    CameraState state;
    state.formatVerdict = 5;
    camera.setState(state);
    ASSERT_TRUE(send(kCmdFormat, intBytes(1)));
    EXPECT_EQ(intAt(receive(kCmdFormat, 4)), 5);
}

TEST_F(SimulatedCameraTest, RefusesStorageModeAndFormatWithAnythingButOne) {
    EXPECT_FALSE(send(kCmdStorageMode, intBytes(0)));
    EXPECT_FALSE(send(kCmdFormat, intBytes(2)));
    EXPECT_EQ(camera.state().storageModeCount, 0);
    EXPECT_EQ(camera.state().formatCount, 0);
    EXPECT_FALSE(camera.takeStateChanged());
}

struct ShapeCase {
    const char* name;
    Direction direction;
    int command;
    int length;
};

void PrintTo(const ShapeCase& shape, std::ostream* out) { *out << shape.name; }

class RefusedShapeTest : public SimulatedCameraTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(RefusedShapeTest, FailsAndLeavesTheBufferAlone) {
    const ShapeCase& shape = GetParam();
    std::vector<uint8_t> buffer(200, 0xEE);
    const int length = shape.length;
    const bool ok = shape.direction == Direction::Send
                        ? camera.send(kDeviceHandle, shape.command, buffer.data(), length)
                        : camera.receive(kDeviceHandle, shape.command, buffer.data(), length);
    EXPECT_FALSE(ok);
    EXPECT_EQ(buffer, std::vector<uint8_t>(200, 0xEE));
    EXPECT_FALSE(camera.takeStateChanged());
}

INSTANTIATE_TEST_SUITE_P(
    WrongDirectionOrLength, RefusedShapeTest,
    ::testing::Values(
        ShapeCase{"ReceivePasswordLength6", Direction::Receive, kCmdPassword, 6},
        ShapeCase{"SendSignInVerdictLength4", Direction::Send, kCmdLoginVerdict, 4},
        ShapeCase{"ReceiveAccountTypeLength4", Direction::Receive, kCmdAccountType, 4},
        ShapeCase{"SendAccountTypeLength3", Direction::Send, kCmdAccountType, 3},
        ShapeCase{"SendIdentityLength93", Direction::Send, kCmdIdentity, 93},
        ShapeCase{"ReceiveIdentityLength95", Direction::Receive, kCmdIdentity, 95},
        ShapeCase{"SendClockLength32", Direction::Send, kCmdClock, 32},
        ShapeCase{"ReceiveResolutionLength4", Direction::Receive, kCmdResolution, 4},
        ShapeCase{"SendResolutionLength8", Direction::Send, kCmdResolution, 8},
        ShapeCase{"ReceiveBatteryLength8", Direction::Receive, kCmdBattery, 8},
        ShapeCase{"ReceiveUserPasswordLength6", Direction::Receive, kCmdUserPassword, 6},
        ShapeCase{"SendAdminPasswordLengthTooLong", Direction::Send, kCmdAdminPassword, kMaxPasswordLength + 1},
        ShapeCase{"ReceiveFormatLength8", Direction::Receive, kCmdFormat, 8},
        ShapeCase{"ReceiveSetSerialNumberLength21", Direction::Receive, kCmdSetSerial, 21},
        ShapeCase{"SendGetSerialNumberLength21", Direction::Send, kCmdReadSerial, 21},
        ShapeCase{"SendCommand13Length4", Direction::Send, 13, 4},
        ShapeCase{"ReceiveCommandMinus1", Direction::Receive, -1, 4},
        ShapeCase{"ReceiveBatteryLengthMinus4", Direction::Receive, kCmdBattery, -4},
        ShapeCase{"SendPasswordLengthMinus1", Direction::Send, kCmdPassword, -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SimulatedCameraTest, NullBufferFailsEveryTransfer) {
    EXPECT_FALSE(camera.receive(kDeviceHandle, kCmdBattery, nullptr, 4));
    EXPECT_FALSE(camera.send(kDeviceHandle, kCmdIdentity, nullptr, kIdentityRecordSize));
    EXPECT_FALSE(camera.send(kDeviceHandle, kCmdPassword, nullptr, 0));
}

TEST_F(SimulatedCameraTest, OtherHandlesReachNoCamera) {
    int32_t level = 0;
    EXPECT_FALSE(camera.receive(0, kCmdBattery, reinterpret_cast<uint8_t*>(&level), 4));
    EXPECT_FALSE(camera.receive(-1, kCmdBattery, reinterpret_cast<uint8_t*>(&level), 4));
    EXPECT_FALSE(camera.connect(0));
    EXPECT_EQ(camera.firstAvailableDevice(), kDeviceHandle);
    EXPECT_TRUE(camera.connect(kDeviceHandle));
}

// Faults: each row switches one on and checks the outcome it promises.
TEST_F(SimulatedCameraTest, NoCameraAndAbsentCameraAnswerNothing) {
    for (bool absentByState : {true, false}) {
        CameraState state;
        state.present = !absentByState;
        state.faults.noCamera = !absentByState;
        camera.setState(state);
        bool ok = true;
        receive(kCmdBattery, 4, &ok);
        EXPECT_EQ(camera.firstAvailableDevice(), 0);
        EXPECT_FALSE(camera.connect(kDeviceHandle));
        EXPECT_FALSE(ok);
        EXPECT_FALSE(send(kCmdAccountType, intBytes(0)));
    }
}

TEST_F(SimulatedCameraTest, ConnectRefusedStillFindsTheCamera) {
    Faults faults;
    faults.connectRefused = true;
    camera.setExtraFaults(faults);
    EXPECT_EQ(camera.firstAvailableDevice(), kDeviceHandle);
    EXPECT_FALSE(camera.connect(kDeviceHandle));
}

TEST_F(SimulatedCameraTest, FailingCommandsFailOnlyThemselves) {
    Faults faults;
    faults.failingCommands = {kCmdBattery, kCmdIdentity};
    camera.setExtraFaults(faults);
    bool ok = true;
    receive(kCmdBattery, 4, &ok);
    EXPECT_FALSE(ok);
    receive(kCmdIdentity, kIdentityRecordSize, &ok);
    EXPECT_FALSE(ok);
    receive(kCmdResolution, 8, &ok);
    EXPECT_TRUE(ok);
}

TEST_F(SimulatedCameraTest, FailAfterCountsEveryTransferOfTheProcess) {
    Faults faults;
    faults.failAfter = 2;
    camera.setExtraFaults(faults);
    bool ok = false;
    EXPECT_FALSE(camera.send(kDeviceHandle, kCmdAccountType, nullptr, 4));  // counts although refused
    receive(kCmdBattery, 4, &ok);
    EXPECT_TRUE(ok);
    receive(kCmdBattery, 4, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(camera.transferCount(), 3);
}

TEST_F(SimulatedCameraTest, ForcedVerdictsReplaceTheCamerasOwn) {
    Faults faults;
    faults.signInVerdict = 7;
    faults.formatVerdict = 9;
    camera.setExtraFaults(faults);
    EXPECT_EQ(signIn(0, "888888"), 7);
    ASSERT_TRUE(send(kCmdFormat, intBytes(1)));
    EXPECT_EQ(intAt(receive(kCmdFormat, 4)), 9);
}

TEST_F(SimulatedCameraTest, ReadsLeaveTheStateUnchanged) {
    receive(kCmdIdentity, kIdentityRecordSize);
    receive(kCmdBattery, 4);
    send(kCmdAccountType, intBytes(0));
    send(kCmdPassword, textBytes("888888"));
    receive(kCmdLoginVerdict, 4);
    EXPECT_FALSE(camera.takeStateChanged());
}

}  // namespace
