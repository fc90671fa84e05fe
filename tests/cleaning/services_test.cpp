#include "cleaning/services/services.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cleaning/clock.h"
#include "tests/common/installed_service.h"
#include "tests/common/listed_items.h"
#include "tests/common/log_capture.h"
#include "tests/common/polling_clock.h"
#include "tests/common/test_programs.h"

namespace {

using testing_support::installed_service;
using testing_support::log_capture;
using testing_support::polling_clock;
using testing_support::scratch_folder;

std::vector<std::string> repeated(const std::string& line, std::size_t count) {
    return std::vector<std::string>(count, line);
}

std::vector<std::string> operator+(std::vector<std::string> head,
                                   const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

class Services : public ::testing::Test {
protected:
    // The stand-in service's program, copied as `program`.
    std::string image(const std::string& program) const {
        return folder_.place(STAND_IN_SERVICE_EXE, program);
    }

    scratch_folder folder_{"tvr_services_test"};
};

TEST_F(Services, ExistsUnlessTheSystemSaysOtherwise) {
    installed_service service("TvrExisting", "Tvr Existing", image("TvrExisting.exe"));
    ASSERT_TRUE(service.installed());
    EXPECT_TRUE(cleaning::service_exists("TvrExisting"));
    EXPECT_FALSE(cleaning::service_exists("TvrNoSuchService"));
}

TEST_F(Services, AStoppedServiceNeedsNoStopRequest) {
    installed_service service("TvrStopped", "Tvr Stopped", image("TvrStopped.exe"));
    ASSERT_TRUE(service.installed());
    polling_clock clock(5);
    log_capture log;

    EXPECT_EQ(1, cleaning::stop_service("TvrStopped", false));

    EXPECT_EQ((std::vector<std::string>{"Stop & Delete 'TvrStopped' Service",
                                        "Service is already stopped."}),
              log.texts());
    EXPECT_TRUE(clock.sleeps().empty());
    EXPECT_TRUE(cleaning::service_exists("TvrStopped"));
}

TEST_F(Services, AListingPassNamesWhatItWouldStopAndDeleteAndTouchesNoService) {
    installed_service running("TvrListed", "Tvr Listed", image("TvrListed.exe"));
    installed_service stopped("TvrListedIdle", "Tvr Listed Idle", image("TvrListedIdle.exe"));
    ASSERT_TRUE(running.start());
    const auto listed = testing_support::listed_by([] {
        cleaning::stop_and_delete_service("TvrListed", "TvrListed.exe", false);
        cleaning::stop_and_delete_service("TvrListed", "TvrListed.exe", true);
        cleaning::stop_and_delete_service("TvrListedIdle", "TvrListedIdle.exe", false);
        cleaning::stop_and_delete_service("TvrListedIdle", "TvrListedIdle.exe", true);
        cleaning::stop_and_delete_service("TvrNoSuchService", "TvrNoSuch.exe", true);
    });
    const std::string key =
        "registry key|HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\";
    EXPECT_EQ(
        (std::vector<std::string>{"service|TvrListed|stop", "service|TvrListed|stop and delete",
                                  key + "TvrListed|remove", "service|TvrListedIdle|delete",
                                  key + "TvrListedIdle|remove"}),
        listed);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), running.state());
    EXPECT_TRUE(cleaning::service_exists("TvrListed"));
    EXPECT_TRUE(cleaning::service_exists("TvrListedIdle"));
}

TEST_F(Services, ASlowServiceStopsWithinAFewPollsAndIsDeletedWhenAsked) {
    installed_service service("TvrSlowStop", "Tvr Slow Stop", image("TvrSlowStop.exe"), "slow",
                              1500);
    ASSERT_TRUE(service.start());
    polling_clock clock(200);
    log_capture log;

    EXPECT_EQ(1, cleaning::stop_service("TvrSlowStop", true));

    EXPECT_EQ(
        (std::vector<std::string>{"Stop & Delete 'TvrSlowStop' Service",
                                  "Service stopped successfully.", "Service deleted successfully"}),
        log.texts());
    EXPECT_GE(clock.sleeps().size(), 2u);
    EXPECT_LT(clock.sleeps().size(), 30u);
    EXPECT_EQ(std::vector<uint32_t>(clock.sleeps().size(), 1000), clock.sleeps());
    service.close();  // a service marked for deletion goes with its last handle
    EXPECT_FALSE(cleaning::service_exists("TvrSlowStop"));
}

TEST_F(Services, AServiceThatWillNotStopTimesOutAfter30Seconds) {
    installed_service service("TvrNoStop", "Tvr No Stop", image("TvrNoStop.exe"), "stuck");
    ASSERT_TRUE(service.start());
    polling_clock clock(5);
    log_capture log;

    EXPECT_EQ(0, cleaning::stop_service("TvrNoStop", false));

    EXPECT_EQ((std::vector<std::string>{"Stop & Delete 'TvrNoStop' Service", "Wait timed out"}),
              log.texts());
    EXPECT_EQ(31u, clock.sleeps().size());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), service.state());
}

TEST_F(Services, StuckInStopPendingTimesOutAndTheFallbackEndsItsProgram) {
    installed_service service("TvrStuck", "Tvr Stuck", image("TvrStuck.exe"), "stuck");
    ASSERT_TRUE(service.start());
    ASSERT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), service.request_stop());
    HANDLE program =
        ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, service.process_id());
    ASSERT_NE(nullptr, program);
    polling_clock clock(5);
    const auto timed_out = std::vector<std::string>{"Stop & Delete 'TvrStuck' Service"} +
                           repeated("Service stop pending...", 31) +
                           std::vector<std::string>{"Service stop timed out."};
    {
        log_capture log;
        EXPECT_EQ(0, cleaning::stop_service("TvrStuck", false));
        EXPECT_EQ(timed_out, log.texts());
    }
    {
        log_capture log;
        cleaning::stop_and_delete_service("TvrStuck", "TvrStuck.exe", false);
        const auto fallback =
            timed_out + std::vector<std::string>{
                            "Dealing with 'TvrStuck.exe' process ....",
                            "Process with name 'TvrStuck.exe' is running, let us close it"};
        EXPECT_EQ(fallback, log.texts());
    }
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), ::WaitForSingleObject(program, 10000));
    DWORD exit_code = 0;
    ::GetExitCodeProcess(program, &exit_code);
    EXPECT_EQ(255u, exit_code);
    ::CloseHandle(program);
}

// A service stopping on its own that gives up and runs again: the tool asks it
// to stop, and waits only for what is left of the one limit.
TEST_F(Services, AServiceBackFromStopPendingIsAskedToStopWithinTheSameLimit) {
    installed_service service("TvrRelapse", "Tvr Relapse", image("TvrRelapse.exe"), "relapse",
                              1500);
    ASSERT_TRUE(service.start());
    ASSERT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), service.send_control(128));
    polling_clock clock(200);
    log_capture log;

    EXPECT_EQ(0, cleaning::stop_service("TvrRelapse", false));

    const auto texts = log.texts();
    const auto pending = std::count(texts.begin(), texts.end(), "Service stop pending...");
    EXPECT_GE(pending, 2);
    EXPECT_EQ(std::vector<std::string>{"Stop & Delete 'TvrRelapse' Service"} +
                  repeated("Service stop pending...", pending) +
                  std::vector<std::string>{"Wait timed out"},
              texts);
    EXPECT_EQ(31u, clock.sleeps().size());
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), service.state());
}

TEST_F(Services, AServiceFoundByItsProgramIsStoppedUnderItsKeyName) {
    installed_service service("TvrKeyName", "Tvr Display Name", image("TvrKeyed.exe"));
    ASSERT_TRUE(service.start());
    polling_clock clock(100);
    {
        log_capture log;
        EXPECT_EQ("TvrKeyName", cleaning::find_service_by_image("tvrkeyed.EXE"));
        EXPECT_EQ((std::vector<std::string>{"Search if tvrkeyed.EXE service is installed",
                                            "Service found. Display Name: Tvr Display Name"}),
                  log.texts());
    }
    log_capture log;

    cleaning::stop_and_delete_service("Tvr Display Name", "TvrKeyed.exe", true);

    EXPECT_EQ(
        (std::vector<std::string>{
            "The specified service (Tvr Display Name) does not exist as an installed service.",
            "Search if TvrKeyed.exe service is installed",
            "Service found. Display Name: Tvr Display Name", "Stop & Delete 'TvrKeyName' Service",
            "Service stopped successfully.", "Service deleted successfully"}),
        log.texts());
    service.close();
    EXPECT_FALSE(cleaning::service_exists("TvrKeyName"));
}

TEST_F(Services, AnImagePathWithQuotesOrArgumentsDoesNotMatchTheProgram) {
    installed_service quoted("TvrQuoted", "Tvr Quoted", "\"" + image("TvrQuoted.exe") + "\"");
    installed_service with_arguments("TvrArguments", "Tvr Arguments",
                                     image("TvrArguments.exe") + " /service");
    ASSERT_TRUE(quoted.installed() && with_arguments.installed());
    log_capture log;

    EXPECT_EQ("", cleaning::find_service_by_image("TvrQuoted.exe"));
    EXPECT_EQ("", cleaning::find_service_by_image("TvrArguments.exe"));
    EXPECT_FALSE(cleaning::kill_service_by_image("TvrArguments.exe"));

    EXPECT_EQ((std::vector<std::string>{
                  "Search if TvrQuoted.exe service is installed", "Service not found",
                  "Search if TvrArguments.exe service is installed", "Service not found"}),
              log.texts());
}

TEST_F(Services, KillingByProgramRemovesOnlyTheRegistryEntry) {
    installed_service service("TvrOrphan", "Tvr Orphan", image("TvrOrphan.exe"));
    ASSERT_TRUE(service.installed());
    log_capture log;

    EXPECT_TRUE(cleaning::kill_service_by_image("tvrorphan.exe"));
    EXPECT_FALSE(cleaning::kill_service_by_image("tvrorphan.exe"));

    EXPECT_EQ((std::vector<std::string>{"Service TvrOrphan is killed"}), log.texts());
    HKEY gone = nullptr;
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\TvrOrphan",
                              0, KEY_READ, &gone));
}

}  // namespace
