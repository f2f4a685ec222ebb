#import "analytics/objc/telemetry_manager_configuration_objc_proxy.h"

#import "analytics/objc/runtime_values.h"

using clicktrove::analytics::objc::stringValue;
using clicktrove::analytics::objc::urlText;

struct TelemetryManagerConfigurationStorage {
    std::shared_ptr<clicktrove::analytics::TelemetryManagerConfiguration> configuration;
};

@interface TelemetryManagerConfiguration ()
- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt baseURL:(NSURL*)baseURL presentArguments:(BOOL)present;
@end

@implementation TelemetryManagerConfiguration

- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt baseURL:(NSURL*)baseURL presentArguments:(BOOL)present {
    if (!present || appID == nil) {
        [self release];
        return nil;
    }
    // The client's configuration first, then the runtime object's own initialisation.
    auto configuration = std::make_shared<clicktrove::analytics::TelemetryManagerConfiguration>(
        *stringValue(appID), stringValue(salt), urlText(baseURL));
    if ((self = [super init])) storage_ = new TelemetryManagerConfigurationStorage{std::move(configuration)};
    return self;
}

- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt baseURL:(NSURL*)baseURL {
    return [self initWithAppID:appID salt:salt baseURL:baseURL presentArguments:salt != nil && baseURL != nil];
}

- (id)initWithAppID:(NSString*)appID baseURL:(NSURL*)baseURL {
    return [self initWithAppID:appID salt:nil baseURL:baseURL presentArguments:baseURL != nil];
}

- (id)initWithAppID:(NSString*)appID salt:(NSString*)salt {
    return [self initWithAppID:appID salt:salt baseURL:nil presentArguments:salt != nil];
}

- (id)initWithAppID:(NSString*)appID {
    return [self initWithAppID:appID salt:nil baseURL:nil presentArguments:YES];
}

// Reached through the runtime only (the declaration is unavailable to the compiler).
- (id)init {
    [self release];
    return nil;
}

- (void)dealloc {
    delete storage_;
    [super dealloc];
}

- (BOOL)sendNewSessionBeganSignal {
    return storage_->configuration->sendNewSessionBeganSignal() ? YES : NO;
}

- (void)setSendNewSessionBeganSignal:(BOOL)sendNewSessionBeganSignal {
    storage_->configuration->setSendNewSessionBeganSignal(sendNewSessionBeganSignal);
}

- (BOOL)testMode {
    return storage_->configuration->testMode() ? YES : NO;
}

- (void)setTestMode:(BOOL)testMode {
    storage_->configuration->setTestMode(testMode);
}

- (BOOL)analyticsDisabled {
    return storage_->configuration->analyticsDisabled() ? YES : NO;
}

- (void)setAnalyticsDisabled:(BOOL)analyticsDisabled {
    storage_->configuration->setAnalyticsDisabled(analyticsDisabled);
}

- (std::shared_ptr<clicktrove::analytics::TelemetryManagerConfiguration>)tallywireConfiguration {
    return storage_->configuration;
}

@end
