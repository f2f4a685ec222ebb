#pragma once

#import <Foundation/Foundation.h>

@class TelemetryManagerConfiguration;

// The analytics client's facade for Objective-C callers, registered with the runtime under the plain name
// TelemetryManager. It has no state; every operation is a class method that forwards to the client on the
// caller's thread. A nil signal name sends nothing; dictionary keys and values are taken by their description
// (a string is itself).
@interface TelemetryManager : NSObject

// Installs the configuration's client as the process-wide one, replacing any earlier one.
+ (void)initializeWith:(TelemetryManagerConfiguration*)configuration;
+ (void)terminate;
+ (void)send:(NSString*)signalName;
+ (void)send:(NSString*)signalName with:(NSDictionary*)parameters;
// A nil user sends as send:with: does.
+ (void)send:(NSString*)signalName for:(NSString*)customUserID with:(NSDictionary*)parameters;
// Nil clears the default user.
+ (void)updateDefaultUserTo:(NSString*)defaultUser;
+ (void)generateNewSession;

@end

// The name the proxy goes by in the client's own code.
@compatibility_alias TelemetryManagerObjCProxy TelemetryManager;
