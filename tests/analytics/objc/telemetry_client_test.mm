// The bridge as an Objective-C caller sees it: classes found by their plain runtime names, reached only by
// message sends. No header of the bridge is included; the selectors are declared here as the caller knows them.
#import <Foundation/Foundation.h>

#include <objc/runtime.h>

#include "analytics/objc/bridge_environment.hpp"
#include "analytics/sha256.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics_harness.hpp"
#include "support/loopback_ingestion_server.hpp"

#include <gtest/gtest.h>

@protocol ConfigurationSelectors
- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt baseURL:(NSURL*)baseURL;
- (id)initWithAppID:(NSString*)appID baseURL:(NSURL*)baseURL;
- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt;
- (id)initWithAppID:(NSString*)appID;
- (BOOL)sendNewSessionBeganSignal;
- (void)setSendNewSessionBeganSignal:(BOOL)value;
- (BOOL)testMode;
- (void)setTestMode:(BOOL)value;
- (BOOL)analyticsDisabled;
- (void)setAnalyticsDisabled:(BOOL)value;
- (std::shared_ptr<clicktrove::analytics::TelemetryManagerConfiguration>)tallywireConfiguration;
- (void)release;
@end

@protocol ManagerSelectors
+ (void)initializeWith:(id)configuration;
+ (void)terminate;
+ (void)send:(NSString*)signalName;
+ (void)send:(NSString*)signalName with:(NSDictionary*)parameters;
+ (void)send:(NSString*)signalName for:(NSString*)customUserID with:(NSDictionary*)parameters;
+ (void)updateDefaultUserTo:(NSString*)defaultUser;
+ (void)generateNewSession;
@end

namespace clicktrove::analytics {
namespace {

using Proxy = id<ConfigurationSelectors>;

Class configurationClass() {
    return objc_getClass("TelemetryManagerConfiguration");
}

Class<ManagerSelectors> managerClass() {
    return (Class<ManagerSelectors>)objc_getClass("TelemetryManager");
}

class TelemetryClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        pool_ = [[NSAutoreleasePool alloc] init];
        objc::setBridgeEnvironment(harness.environment());
    }
    void TearDown() override {
        [managerClass() terminate];
        objc::setBridgeEnvironment(harness.environment());
        [pool_ release];
    }
    // A proxy installed through the bridge, announcing no session and keeping no statistics.
    Proxy installQuiet(NSString* salt = @"") {
        Proxy proxy = [[configurationClass() alloc] initWithAppID:@"B1D6E-APP"
                                                             salt:salt
                                                          baseURL:[NSURL URLWithString:@"https://ingest.test/"]];
        [proxy setSendNewSessionBeganSignal:NO];
        [proxy tallywireConfiguration]->setSessionStatsEnabled(false);
        [proxy tallywireConfiguration]->setLogHandler(harness.log.handler());
        [managerClass() initializeWith:proxy];
        harness.pump();
        return proxy;
    }

    clicktrove::testing::AnalyticsHarness harness;

private:
    NSAutoreleasePool* pool_ = nil;
};

TEST_F(TelemetryClientTest, BothClassesAnswerEverySelectorUnderTheirPlainNames) {
    Class configuration = configurationClass();
    Class manager = objc_getClass("TelemetryManager");
    ASSERT_NE(configuration, Nil);
    ASSERT_NE(manager, Nil);
    EXPECT_EQ(class_getSuperclass(configuration), objc_getClass("NSObject"));
    EXPECT_EQ(class_getSuperclass(manager), objc_getClass("NSObject"));
    // The client's own names are not registered.
    EXPECT_EQ(objc_getClass("TelemetryManagerConfigurationObjCProxy"), Nil);
    EXPECT_EQ(objc_getClass("TelemetryManagerObjCProxy"), Nil);
    for (SEL s : {
             @selector(initWithAppID:salt:baseURL:), @selector(initWithAppID:baseURL:), @selector(initWithAppID:salt:),
                 @selector(initWithAppID:), @selector(sendNewSessionBeganSignal),
                 @selector(setSendNewSessionBeganSignal:), @selector(testMode), @selector(setTestMode:),
                 @selector(analyticsDisabled), @selector(setAnalyticsDisabled:)
         }) {
        EXPECT_TRUE(class_respondsToSelector(configuration, s)) << sel_getName(s);
    }
    Class managerMeta = object_getClass(manager);
    for (SEL s : {@selector(initializeWith:), @selector(terminate), @selector(send:), @selector(send:with:),
                  @selector(send:for:with:), @selector(updateDefaultUserTo:), @selector(generateNewSession)
         }) {
        EXPECT_TRUE(class_respondsToSelector(managerMeta, s)) << sel_getName(s);
    }
    // A manager proxy made with a plain init exists and does nothing.
    id plain = [[manager alloc] init];
    EXPECT_NE(plain, nil);
    [plain release];
}

TEST_F(TelemetryClientTest, EachInitialiserBuildsTheConfigurationItNames) {
    NSURL* url = [NSURL URLWithString:@"https://ingest.test/base/"];
    struct Case {
        const char* what;
        Proxy proxy;
        std::string salt;
        std::string baseURL;
    };
    const Case cases[] = {
        {"salt and base URL", [[configurationClass() alloc] initWithAppID:@"A" salt:@"pepper" baseURL:url], "pepper",
         "https://ingest.test/base/"},
        {"base URL", [[configurationClass() alloc] initWithAppID:@"A" baseURL:url], "", "https://ingest.test/base/"},
        {"salt", [[configurationClass() alloc] initWithAppID:@"A" salt:@"pepper"], "pepper",
         TelemetryManagerConfiguration::defaultIngestionEndpoint()},
        {"identifier", [[configurationClass() alloc] initWithAppID:@"A"], "",
         TelemetryManagerConfiguration::defaultIngestionEndpoint()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(c.proxy, nil);
        const auto config = [c.proxy tallywireConfiguration]->snapshot();
        EXPECT_EQ(config.telemetryAppID, "A");
        EXPECT_EQ(config.salt, c.salt);
        EXPECT_EQ(config.apiBaseURL, c.baseURL);
        EXPECT_EQ(config.telemetryNamespace, std::nullopt);
        [c.proxy release];
    }
    // Every argument is required, and there is no configuration without an identifier.
    EXPECT_EQ([[configurationClass() alloc] initWithAppID:nil], nil);
    EXPECT_EQ([[configurationClass() alloc] initWithAppID:@"A" salt:nil], nil);
    EXPECT_EQ([[configurationClass() alloc] initWithAppID:@"A" baseURL:nil], nil);
    EXPECT_EQ([[configurationClass() alloc] initWithAppID:@"A" salt:@"s" baseURL:nil], nil);
    EXPECT_EQ([[configurationClass() alloc] performSelector:@selector(init)], nil);
}

TEST_F(TelemetryClientTest, TheSwitchesReadAndWriteTheWrappedConfiguration) {
    Proxy proxy = [[configurationClass() alloc] initWithAppID:@"A"];
    const auto config = [proxy tallywireConfiguration];
    EXPECT_EQ([proxy testMode], NO);
    EXPECT_FALSE(config->snapshot().testModeStorage.has_value());
    [proxy setTestMode:YES];
    EXPECT_EQ([proxy testMode], YES);
    EXPECT_EQ(config->snapshot().testModeStorage, true);
    [proxy setTestMode:NO];
    EXPECT_EQ(config->snapshot().testModeStorage, false);

    EXPECT_EQ([proxy sendNewSessionBeganSignal], YES);
    [proxy setSendNewSessionBeganSignal:NO];
    EXPECT_FALSE(config->sendNewSessionBeganSignal());
    EXPECT_EQ([proxy analyticsDisabled], NO);
    [proxy setAnalyticsDisabled:YES];
    EXPECT_TRUE(config->analyticsDisabled());
    [proxy release];
}

TEST_F(TelemetryClientTest, TheProxyOwnsItsConfigurationAndTheClientKeepsItsOwnReference) {
    std::weak_ptr<TelemetryManagerConfiguration> alone;
    {
        Proxy proxy = [[configurationClass() alloc] initWithAppID:@"A"];
        alone = [proxy tallywireConfiguration];
        [proxy release];
    }
    EXPECT_TRUE(alone.expired());

    Proxy proxy = installQuiet();
    std::weak_ptr<TelemetryManagerConfiguration> installed = [proxy tallywireConfiguration];
    [proxy release];
    ASSERT_TRUE(TelemetryManager::isInstalled());
    EXPECT_EQ(TelemetryManager::shared()->configuration(), installed.lock());
    [managerClass() terminate];
    EXPECT_FALSE(TelemetryManager::isInstalled());
}

TEST_F(TelemetryClientTest, SignalsUsersAndSessionsForwardToTheClient) {
    Proxy proxy = installQuiet(@"salt");
    const auto config = [proxy tallywireConfiguration];
    Class<ManagerSelectors> manager = managerClass();
    [manager send:@"Plain"];
    [manager send:@"WithParameters" with:@{@"k" : @"v", @"n" : @42}];
    [manager send:@"NoUser" for:nil with:@{@"k" : @"v"}];
    [manager send:@"ForUser" for:@"user-7" with:@{}];
    [manager send:nil];
    auto batch = harness.flush();
    ASSERT_EQ(batch.size(), 4u);
    EXPECT_EQ(batch[0]["type"], "Plain");
    EXPECT_FALSE(batch[0]["payload"].contains("k"));
    EXPECT_EQ(batch[1]["payload"]["k"], "v");
    EXPECT_EQ(batch[1]["payload"]["n"], "42");
    // No user is the same as send:with:, a given one is hashed with the salt.
    EXPECT_EQ(batch[2]["clientUser"], batch[1]["clientUser"]);
    EXPECT_EQ(batch[3]["clientUser"], sha256Hex("user-7", "salt"));

    [manager updateDefaultUserTo:@"default-3"];
    EXPECT_EQ(config->defaultUser(), "default-3");
    [manager send:@"AsDefault"];
    batch = harness.flush();
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0]["clientUser"], sha256Hex("default-3", "salt"));
    [manager updateDefaultUserTo:nil];
    EXPECT_EQ(config->defaultUser(), std::nullopt);

    const std::string before = config->sessionID();
    [manager generateNewSession];
    EXPECT_NE(config->sessionID(), before);

    [manager terminate];
    [manager send:@"AfterTerminate"];
    harness.pump();
    EXPECT_EQ(harness.log.count("Dropping signal AfterTerminate: the analytics client is not initialized"), 1);
    [proxy release];
}

// A process with only the bridge runs no run loop the client could use: the production environment gives the
// client a main queue of its own, so signals are still processed and sent.
TEST_F(TelemetryClientTest, AHostWithoutARunLoopStillHasItsSignalsProcessedAndSent) {
    clicktrove::testing::LoopbackIngestionServer server({200});
    ASSERT_TRUE(server.started());
    objc::setBridgeEnvironment(std::nullopt);
    Proxy proxy = [[configurationClass() alloc]
        initWithAppID:@"B1D6E-APP"
              baseURL:[NSURL URLWithString:[NSString stringWithUTF8String:server.baseURL().c_str()]]];
    [proxy setSendNewSessionBeganSignal:NO];
    [proxy tallywireConfiguration]->setSessionStatsEnabled(false);
    [managerClass() initializeWith:proxy];
    [managerClass() send:@"FromTheBridge"];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (TelemetryManager::shared()->signalManager().cachedSignalCount() == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    Tallywire::requestImmediateSync();
    while (server.requests().empty() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(nlohmann::json::parse(requests[0].body)[0]["type"], "FromTheBridge");
    [managerClass() terminate];
    [proxy release];
}

}  // namespace
}  // namespace clicktrove::analytics
