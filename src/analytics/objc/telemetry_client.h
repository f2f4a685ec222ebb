#pragma once

// The TelemetryClient module: the analytics client for Objective-C callers.
#import "analytics/objc/telemetry_manager_configuration_objc_proxy.h"
#import "analytics/objc/telemetry_manager_objc_proxy.h"
