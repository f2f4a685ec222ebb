#include "analytics/currency_rates_to_usd.hpp"
#include "analytics/purchase_parameters.hpp"
#include "analytics/tallywire.hpp"
#include "analytics/telemetry_manager.hpp"
#include "analytics_harness.hpp"
#include "in_memory_transaction_update_source.hpp"

#include <gtest/gtest.h>
#include <sstream>

namespace clicktrove::analytics {
namespace {

using namespace std::chrono_literals;
using Type = StoreTransaction::ProductType;
using Offer = StoreTransaction::OfferType;
using Mode = StoreTransaction::PaymentMode;

StoreTransaction monthly(std::optional<double> price, std::optional<std::string> currency = std::string("USD")) {
    StoreTransaction t;
    t.productID = "pro.monthly";
    t.originalID = 9007199254740993ULL;  // beyond a double's exact integers
    t.productType = Type::autoRenewableSubscription;
    t.subscriptionGroupID = "pro";
    t.price = price;
    t.currency = std::move(currency);
    t.storefrontCountryCode = "DEU";
    return t;
}

StoreTransaction freeTrial() {
    StoreTransaction t = monthly(0.0);
    t.offerType = Offer::introductory;
    t.offerPaymentMode = Mode::freeTrial;
    return t;
}

class PurchaseSignalsTest : public ::testing::Test {
protected:
    void start() {
        auto config = harness.configuration();
        config->setSendNewSessionBeganSignal(false);
        config->setSessionStatsEnabled(false);
        auto env = harness.environment();
        env.transactionUpdates = updates;
        Tallywire::initialize(config, env);
        harness.pump();
    }
    platform::InMemoryUserDefaults& suite() {
        return *harness.suite(TelemetryManager::defaultsSuiteName(harness.configuration()->telemetryAppID()));
    }
    TrialConversionTracker* tracker() { return TelemetryManager::shared()->existingTrialConversionTracker(); }
    // Waits until the watch has dealt with what was pushed, then runs the work it queued.
    void handled() {
        ASSERT_TRUE(updates->waitUntilHandled([this] { return !tracker()->isObserving(); }));
        harness.pump();
    }
    // The signals sent, each with its type, float value and purchase parameters only.
    std::vector<nlohmann::json> sent() {
        return harness.flushKeeping(
            [](const std::string& k) { return k.rfind("Tallywire.Purchase.", 0) == 0 || k == "mine"; });
    }

    clicktrove::testing::AnalyticsHarness harness;
    std::shared_ptr<clicktrove::testing::InMemoryTransactionUpdateSource> updates =
        std::make_shared<clicktrove::testing::InMemoryTransactionUpdateSource>();
};

TEST_F(PurchaseSignalsTest, OnlyAFreeIntroductoryOfferOfARenewingSubscriptionStartsATrial) {
    struct Case {
        const char* what;
        Type type;
        std::optional<Offer> offer;
        std::optional<double> price;
        bool trial;
    };
    const Case cases[] = {
        {"free introductory", Type::autoRenewableSubscription, Offer::introductory, 0.0, true},
        {"introductory without price", Type::autoRenewableSubscription, Offer::introductory, std::nullopt, true},
        {"paid introductory", Type::autoRenewableSubscription, Offer::introductory, 0.99, false},
        {"free promotional", Type::autoRenewableSubscription, Offer::promotional, 0.0, false},
        {"no offer", Type::autoRenewableSubscription, std::nullopt, 0.0, false},
        {"non-renewing", Type::nonRenewingSubscription, Offer::introductory, 0.0, false},
        {"one-time", Type::nonConsumable, Offer::introductory, 0.0, false},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StoreTransaction t = monthly(c.price);
        t.productType = c.type;
        t.offerType = c.offer;
        Tallywire::purchaseCompleted(t);
        const auto s = sent();
        ASSERT_EQ(s.size(), 1u);
        EXPECT_EQ(s[0]["type"], c.trial ? "Tallywire.Purchase.freeTrialStarted" : "Tallywire.Purchase.completed");
        EXPECT_EQ(s[0].contains("floatValue"), !c.trial);
        if (!c.trial) {
            EXPECT_EQ(s[0]["floatValue"], c.price.value_or(0));
        }
    }
}

TEST_F(PurchaseSignalsTest, PricesConvertAtTheTableRatesWithoutRounding) {
    struct Case {
        std::optional<double> price;
        std::optional<std::string> currency;
        double usd;
    };
    const Case cases[] = {
        {10.0, "EUR", 10.0 / 0.9533}, {10.0, "USD", 10.0},       {10.0, "JPY", 10.0 / 152.3479},
        {10.0, "XYZ", 0.0},           {10.0, std::nullopt, 0.0}, {std::nullopt, "EUR", 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.currency.value_or("no currency"));
        EXPECT_EQ(priceInUSD(monthly(c.price, c.currency)), c.usd);
    }
    // The completed signal carries it exactly.
    start();
    Tallywire::purchaseCompleted(monthly(10.0, std::string("EUR")));
    const auto s = sent();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0]["floatValue"].get<double>(), 10.0 / 0.9533);
}

TEST_F(PurchaseSignalsTest, TheRateTableHoldsTheListedCurrenciesAndTheFixedRows) {
    const std::string codes =
        "AED AFN ALL AMD ANG AOA ARS AUD AWG AZN BAM BBD BDT BGN BHD BIF BMD BND BOB BRL BSD BTN BWP BYN BZD CAD CDF "
        "CHF CLP CNY COP CRC CUP CVE CZK DJF DKK DOP DZD EGP ERN ETB EUR FJD FKP FOK GBP GEL GGP GHS GIP GMD GNF GTQ "
        "GYD HKD HNL HRK HTG HUF IDR ILS IMP INR IQD IRR ISK JEP JMD JOD JPY KES KGS KHR KID KMF KRW KWD KYD KZT LAK "
        "LBP LKR LRD LSL LYD MAD MDL MGA MKD MMK MNT MOP MRU MUR MVR MWK MXN MYR MZN NAD NGN NIO NOK NPR NZD OMR PAB "
        "PEN PGK PHP PKR PLN PYG QAR RON RSD RUB RWF SAR SBD SCR SDG SEK SGD SHP SLE SLL SOS SRD SSP STN SYP SZL THB "
        "TJS TMT TND TOP TRY TTD TVD TWD TZS UAH UGX UYU UZS VES VND VUV WST XAF XCD XDR XOF XPF YER ZAR ZMW ZWL";
    std::vector<std::string> expected;
    std::istringstream in(codes);
    for (std::string code; in >> code;) expected.push_back(code);
    std::vector<std::string> listed;
    for (const auto& [code, rate] : currencyRatesToUSD()) {
        listed.push_back(code);
        EXPECT_GT(rate, 0.0) << code;
    }
    EXPECT_EQ(listed.size(), 161u);
    EXPECT_EQ(listed, expected);
    const std::map<std::string, double> fixed{{"BMD", 1.0},       {"CHF", 0.8997},   {"EUR", 0.9533}, {"GBP", 0.7948},
                                              {"IRR", 41993.216}, {"JPY", 152.3479}, {"KWD", 0.3085}, {"LBP", 89500.0}};
    for (const auto& [code, rate] : fixed) EXPECT_EQ(currencyRatesToUSD().at(code), rate) << code;
}

TEST_F(PurchaseSignalsTest, ParametersNameTheKindOfPurchaseAndTheCallerWins) {
    start();
    StoreTransaction once = monthly(4.99, std::nullopt);
    once.productType = Type::nonConsumable;
    once.subscriptionGroupID.reset();
    Tallywire::purchaseCompleted(once, {{"mine", "1"}});
    Tallywire::purchaseCompleted(monthly(9.99, std::string("EUR")), {{"Tallywire.Purchase.productID", "from caller"}});
    Tallywire::purchaseCompleted(freeTrial(), {{"Tallywire.Purchase.productID", "trial from caller"}});
    const auto s = sent();
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[0]["payload"], (nlohmann::json{{"Tallywire.Purchase.type", "one-time-purchase"},
                                               {"Tallywire.Purchase.countryCode", "DEU"},
                                               {"Tallywire.Purchase.productID", "pro.monthly"},
                                               {"mine", "1"}}));
    EXPECT_EQ(s[1]["payload"], (nlohmann::json{{"Tallywire.Purchase.type", "subscription"},
                                               {"Tallywire.Purchase.countryCode", "DEU"},
                                               {"Tallywire.Purchase.productID", "from caller"},
                                               {"Tallywire.Purchase.currencyCode", "EUR"}}));
    EXPECT_EQ(s[2]["type"], "Tallywire.Purchase.freeTrialStarted");
    EXPECT_EQ(s[2]["payload"]["Tallywire.Purchase.productID"], "trial from caller");
}

TEST_F(PurchaseSignalsTest, APaidRenewalOfTheStoredTrialConvertsItOnce) {
    start();
    Tallywire::purchaseCompleted(freeTrial());
    harness.pump();
    // The trial's identity, and nothing else, under "lastTrial".
    EXPECT_EQ(nlohmann::json::parse(suite().string("lastTrial").value_or("null")),
              (nlohmann::json{{"productID", "pro.monthly"}, {"originalTransactionID", 9007199254740993ULL}}));
    ASSERT_EQ(sent().size(), 1u);

    StoreTransaction otherProduct = monthly(9.99);
    otherProduct.productID = "pro.yearly";
    StoreTransaction otherOriginal = monthly(9.99);
    otherOriginal.originalID = 1;
    StoreTransaction trialRenewal = freeTrial();
    updates->pushVerified(otherProduct);
    updates->pushVerified(otherOriginal);
    updates->push(TransactionUpdateSource::Update::unverified(monthly(9.99), "bad signature"));
    updates->pushVerified(trialRenewal);
    handled();
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(tracker()->isObserving());

    StoreTransaction paid = monthly(9.99, std::string("EUR"));
    paid.expirationDate = harness.clock.now() + 24h * 30;
    updates->pushVerified(paid);
    handled();
    const auto s = sent();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0], (nlohmann::json{{"type", "Tallywire.Purchase.convertedFromTrial"},
                                    {"floatValue", 9.99 / 0.9533},
                                    {"payload",
                                     {{"Tallywire.Purchase.type", "subscription"},
                                      {"Tallywire.Purchase.countryCode", "DEU"},
                                      {"Tallywire.Purchase.productID", "pro.monthly"},
                                      {"Tallywire.Purchase.currencyCode", "EUR"}}}}));
    EXPECT_FALSE(suite().value("lastTrial").has_value());
    EXPECT_FALSE(tracker()->isObserving());

    // Later renewals are nobody's business.
    updates->pushVerified(paid);
    harness.pump();
    EXPECT_TRUE(sent().empty());
}

TEST_F(PurchaseSignalsTest, ARefundExpiryOrUpgradeEndsTheTrialSilently) {
    struct Case {
        const char* what;
        std::function<void(StoreTransaction&, std::chrono::system_clock::time_point now)> end;
    };
    const Case cases[] = {
        {"refunded", [](StoreTransaction& t, auto now) { t.revocationDate = now - 1h; }},
        {"expired", [](StoreTransaction& t, auto now) { t.expirationDate = now - 1s; }},
        {"upgraded", [](StoreTransaction& t, auto) { t.isUpgraded = true; }},
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Tallywire::purchaseCompleted(freeTrial());
        harness.pump();
        ASSERT_EQ(sent().size(), 1u);
        ASSERT_TRUE(suite().value("lastTrial").has_value());
        StoreTransaction ending = monthly(9.99);
        c.end(ending, harness.clock.now());
        updates->pushVerified(ending);
        handled();
        EXPECT_TRUE(sent().empty());
        EXPECT_FALSE(suite().value("lastTrial").has_value());
        EXPECT_FALSE(tracker()->isObserving());
    }
}

TEST_F(PurchaseSignalsTest, AStoredTrialIsWatchedAgainAfterARestart) {
    // Nothing stored: the client starts no watch at all.
    start();
    EXPECT_EQ(tracker(), nullptr);
    Tallywire::terminate();

    suite().setValue("lastTrial", StoredTrial{"pro.monthly", 9007199254740993ULL}.encode());
    start();
    ASSERT_NE(tracker(), nullptr);
    EXPECT_TRUE(tracker()->isObserving());
    updates->pushVerified(monthly(9.99));
    handled();
    const auto s = sent();
    ASSERT_EQ(s.size(), 1u);
    EXPECT_EQ(s[0]["type"], "Tallywire.Purchase.convertedFromTrial");
    EXPECT_EQ(s[0]["floatValue"], 9.99);
    EXPECT_FALSE(suite().value("lastTrial").has_value());
}

TEST_F(PurchaseSignalsTest, AStreamThatEndsStopsTheWatchAndATrialWithoutClientIsNotKept) {
    // The production stream on Linux ends at once: the watch ends and the trial stays stored.
    suite().setValue("lastTrial", StoredTrial{"pro.monthly", 1}.encode());
    updates->finish();
    start();
    ASSERT_NE(tracker(), nullptr);
    handled();
    EXPECT_TRUE(suite().value("lastTrial").has_value());
    Tallywire::terminate();

    // No installed client: no suite, so nothing is stored and nothing is watched.
    Tallywire::purchaseCompleted(freeTrial());
    harness.pump();
    EXPECT_EQ(suite().string("lastTrial"), (StoredTrial{"pro.monthly", 1}.encode()));
}

TEST(StoredTrialTest, OnlyTheTwoTypedKeysDecode) {
    EXPECT_EQ(StoredTrial::decode(R"({"productID":"p","originalTransactionID":18446744073709551615})"),
              (StoredTrial{"p", 18446744073709551615ULL}));
    EXPECT_EQ(StoredTrial::decode(R"({"productID":"p","originalTransactionID":7,"extra":1})"), (StoredTrial{"p", 7}));
    for (const char* bad : {R"({"productID":"p"})", R"({"productID":1,"originalTransactionID":7})",
                            R"({"productID":"p","originalTransactionID":-7})",
                            R"({"productID":"p","originalTransactionID":7.5})", "[]", "not json"}) {
        EXPECT_EQ(StoredTrial::decode(bad), std::nullopt) << bad;
    }
    // The value is text inside the suite, whose own limits do not look into strings: it is held to them itself.
    const std::string deep = std::string(300, '[') + std::string(300, ']');
    EXPECT_EQ(StoredTrial::decode(R"({"productID":"p","originalTransactionID":7,"extra":)" + deep + "}"), std::nullopt);
}

}  // namespace
}  // namespace clicktrove::analytics
