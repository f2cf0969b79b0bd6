// Loads the built stand-in library by name, as the device library does, and
// drives it through its four entries only.
#include "SimTestSupport.h"

#include "telvix/VendorEntries.h"

#include <gtest/gtest.h>

#include <chrono>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#include <cstdlib>
#endif

using namespace sim_test;

namespace {

#ifdef _WIN32
struct ModuleCloser {
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleCloser>;

Library loadLibrary(const std::string& name) { return Library(LoadLibraryA(name.c_str())); }

void* entry(const Library& library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(library.get(), name));
}

void setEnvironment(const char* name, const std::filesystem::path& value) {
    SetEnvironmentVariableW(std::filesystem::path(name).wstring().c_str(), value.wstring().c_str());
}

void clearEnvironment(const char* name) { SetEnvironmentVariableW(std::filesystem::path(name).wstring().c_str(), nullptr); }

// The build's folders are Unix paths; Wine shows them on drive Z:.
const std::string kSimFolder = std::string("Z:") + NVUSB_SIM_DIR;
const std::string kPartialLibrary = std::string("Z:") + NVUSB_SIM_PARTIAL_DIR + "/" + NVUSB_LIBRARY_NAME;
#else
struct LibraryCloser {
    void operator()(void* library) const { dlclose(library); }
};
using Library = std::unique_ptr<void, LibraryCloser>;

Library loadLibrary(const std::string& name) { return Library(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)); }

void* entry(const Library& library, const char* name) { return dlsym(library.get(), name); }

void setEnvironment(const char* name, const std::filesystem::path& value) { setenv(name, value.c_str(), 1); }

void clearEnvironment(const char* name) { unsetenv(name); }

const std::string kSimFolder = NVUSB_SIM_DIR;
const std::string kPartialLibrary = std::string(NVUSB_SIM_PARTIAL_DIR) + "/" + NVUSB_LIBRARY_NAME;
#endif

template <typename Function>
Function entryAs(const Library& library, const char* name) {
    return reinterpret_cast<Function>(entry(library, name));
}

class NvUSBLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        setEnvironment("NVUSB_SIM_STATE", folder / "state.txt");
        setEnvironment("NVUSB_SIM_LOG", folder / "log.txt");
        clearEnvironment("NVUSB_SIM_FAULTS");
        library = loadLibrary(NVUSB_LIBRARY_NAME);
        ASSERT_TRUE(library) << "cannot load " << NVUSB_LIBRARY_NAME << " from the search path";
        firstDevice = entryAs<NvUSB_GetFirstAvailableDevice_fn>(library, "NvUSB_GetFirstAvailableDevice");
        connect = entryAs<NvUSB_ConnectToDevice_fn>(library, "NvUSB_ConnectToDevice");
        getData = entryAs<NvUSB_VenderCmd_GetData_fn>(library, "NvUSB_VenderCmd_GetData");
        setData = entryAs<NvUSB_VenderCmd_SetData_fn>(library, "NvUSB_VenderCmd_SetData");
        ASSERT_TRUE(firstDevice && connect && getData && setData);
    }

    void TearDown() override {
        clearEnvironment("NVUSB_SIM_STATE");
        clearEnvironment("NVUSB_SIM_LOG");
        clearEnvironment("NVUSB_SIM_FAULTS");
    }

    TempFolder folder{"library"};
    Library library;
    NvUSB_GetFirstAvailableDevice_fn firstDevice = nullptr;
    NvUSB_ConnectToDevice_fn connect = nullptr;
    NvUSB_VenderCmd_GetData_fn getData = nullptr;
    NvUSB_VenderCmd_SetData_fn setData = nullptr;
};

TEST_F(NvUSBLibraryTest, SignsInThroughTheFourEntries) {
    const int device = firstDevice();
    ASSERT_NE(device, 0);
    EXPECT_NE(connect(device), 0);

    int32_t account = 0;
    char password[] = "888888";
    int32_t verdict = 0;
    EXPECT_NE(setData(device, 2, &account, 4), 0);
    EXPECT_NE(setData(device, 0, password, 6), 0);
    EXPECT_NE(getData(device, 1, &verdict, 4), 0);
    EXPECT_EQ(verdict, 3);

    const std::vector<std::string> expected = {"send 2 4 00000000 ok", "send 0 6 383838383838 ok",
                                               "receive 1 4 03000000 ok"};
    EXPECT_EQ(fileLines(folder / "log.txt"), expected);
}

TEST_F(NvUSBLibraryTest, WritesTheStateFileNamedByTheEnvironment) {
    const int device = firstDevice();
    int32_t one = 1;
    ASSERT_NE(setData(device, 10, &one, 4), 0);
    EXPECT_NE(readFile(folder / "state.txt").find("format_count = 1\n"), std::string::npos);

    writeFile(folder / "state.txt", "present = 0\n");
    EXPECT_EQ(firstDevice(), 0);
}

TEST_F(NvUSBLibraryTest, StorageModeBringsTheCardThatAFormatEmpties) {
    writeFile(folder / "state.txt", "card_videos = 1 x 3000000\ncard_photos = 0 x 0\n");
    const int device = firstDevice();
    int32_t one = 1;
    ASSERT_NE(setData(device, 5, &one, 4), 0);
    EXPECT_EQ(std::filesystem::file_size(folder / "card" / "DCIM" / "100MEDIA" / "VID_0001.MP4"), 3000000u);
    ASSERT_NE(setData(device, 10, &one, 4), 0);
    EXPECT_TRUE(std::filesystem::is_empty(folder / "card"));
}

TEST_F(NvUSBLibraryTest, FaultsFromTheEnvironmentApplyAtTheNextCall) {
    const int device = firstDevice();
    int32_t level = -1;
    ASSERT_NE(getData(device, 7, &level, 4), 0);
    EXPECT_EQ(level, 85);

    setEnvironment("NVUSB_SIM_FAULTS", "fail=7,connect_refused,delay_ms=60");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(getData(device, 7, &level, 4), 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_EQ(connect(device), 0);

    setEnvironment("NVUSB_SIM_FAULTS", "no_camera");
    EXPECT_EQ(firstDevice(), 0);
}

TEST_F(NvUSBLibraryTest, RefusesNullBuffersAndNegativeLengths) {
    const int device = firstDevice();
    int32_t value = 0;
    EXPECT_EQ(getData(device, 7, nullptr, 4), 0);
    EXPECT_EQ(setData(device, 9, nullptr, 6), 0);
    EXPECT_EQ(getData(device, 7, &value, -4), 0);
    EXPECT_EQ(setData(device, 0, &value, -1), 0);
}

TEST_F(NvUSBLibraryTest, FilesDefaultToTheLibrarysOwnFolder) {
    clearEnvironment("NVUSB_SIM_STATE");
    clearEnvironment("NVUSB_SIM_LOG");
    const std::filesystem::path log = std::filesystem::path(kSimFolder) / "nvusb-sim-log.txt";
    const size_t linesBefore = fileLines(log).size();

    int32_t level = 0;
    getData(firstDevice(), 7, &level, 3);  // refused, so the default state stays untouched

    const std::vector<std::string> lines = fileLines(log);
    ASSERT_EQ(lines.size(), linesBefore + 1);
    EXPECT_EQ(lines.back(), "receive 7 3 - failed");
}

TEST(NvUSBPartialLibraryTest, LacksOnlyTheSendEntry) {
    const Library library = loadLibrary(kPartialLibrary);
    ASSERT_TRUE(library) << "cannot load " << kPartialLibrary;
    EXPECT_NE(entry(library, "NvUSB_GetFirstAvailableDevice"), nullptr);
    EXPECT_NE(entry(library, "NvUSB_ConnectToDevice"), nullptr);
    EXPECT_NE(entry(library, "NvUSB_VenderCmd_GetData"), nullptr);
    EXPECT_EQ(entry(library, "NvUSB_VenderCmd_SetData"), nullptr);
}

}  // namespace
