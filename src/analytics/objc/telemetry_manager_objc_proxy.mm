#import "analytics/objc/telemetry_manager_objc_proxy.h"

#import "analytics/objc/bridge_environment.hpp"
#import "analytics/objc/runtime_values.h"
#import "analytics/objc/telemetry_manager_configuration_objc_proxy.h"

#include "analytics/tallywire.hpp"

using clicktrove::analytics::Tallywire;
using clicktrove::analytics::objc::parameterMap;
using clicktrove::analytics::objc::stringValue;

@implementation TelemetryManager

+ (void)initializeWith:(TelemetryManagerConfiguration*)configuration {
    if (configuration == nil) return;
    Tallywire::initialize([configuration tallywireConfiguration], clicktrove::analytics::objc::bridgeEnvironment());
    // After the first initialisation, so that the exit handler runs before the client's own statics go.
    clicktrove::analytics::objc::saveAtProcessExit();
}

+ (void)terminate {
    Tallywire::terminate();
}

+ (void)send:(NSString*)signalName {
    [self send:signalName for:nil with:nil];
}

+ (void)send:(NSString*)signalName with:(NSDictionary*)parameters {
    [self send:signalName for:nil with:parameters];
}

+ (void)send:(NSString*)signalName for:(NSString*)customUserID with:(NSDictionary*)parameters {
    const auto name = stringValue(signalName);
    if (!name) return;
    Tallywire::signal(*name, parameterMap(parameters), std::nullopt, stringValue(customUserID));
}

+ (void)updateDefaultUserTo:(NSString*)defaultUser {
    Tallywire::updateDefaultUser(stringValue(defaultUser));
}

+ (void)generateNewSession {
    Tallywire::generateNewSession();
}

@end
