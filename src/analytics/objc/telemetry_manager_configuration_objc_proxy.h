#pragma once

#import <Foundation/Foundation.h>

#ifdef __cplusplus
#include "analytics/telemetry_manager_configuration.hpp"

#include <memory>
#endif

struct TelemetryManagerConfigurationStorage;

// The analytics client's configuration for Objective-C callers, registered with the runtime under the plain
// name TelemetryManagerConfiguration. Each proxy owns one configuration of the client for its whole life. Memory
// is managed by hand (retain and release): the GNU runtime has no automatic reference counting.
@interface TelemetryManagerConfiguration : NSObject {
    struct TelemetryManagerConfigurationStorage* storage_;
}

// Every argument is required: a nil one makes the initialiser release the proxy and return nil. Without a base
// URL the configuration uses the build's ingestion endpoint; without a salt, an empty one.
- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt baseURL:(NSURL*)baseURL;
- (id)initWithAppID:(NSString*)appID baseURL:(NSURL*)baseURL;
- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt;
- (id)initWithAppID:(NSString*)appID;
// There is no configuration without an application identifier: this returns nil.
- (id)init __attribute__((unavailable("a configuration needs an application identifier: use initWithAppID:")));

- (BOOL)sendNewSessionBeganSignal;
- (void)setSendNewSessionBeganSignal:(BOOL)sendNewSessionBeganSignal;
// False until it is set.
- (BOOL)testMode;
- (void)setTestMode:(BOOL)testMode;
- (BOOL)analyticsDisabled;
- (void)setAnalyticsDisabled:(BOOL)analyticsDisabled;

#ifdef __cplusplus
// The wrapped configuration, for Objective-C++ code.
- (std::shared_ptr<clicktrove::analytics::TelemetryManagerConfiguration>)tallywireConfiguration;
#endif
@end

// The name the proxy goes by in the client's own code.
@compatibility_alias TelemetryManagerConfigurationObjCProxy TelemetryManagerConfiguration;
