#pragma once

#include "platform/activation_policy.hpp"
#include "platform/fake/fake_clock.hpp"
#include "platform/fake/fake_login_item.hpp"
#include "platform/fake/in_memory_user_defaults.hpp"
#include "platform/fake/recording_log_sink.hpp"
#include "services/analytics_client.hpp"
#include "services/analytics_manager.hpp"
#include "services/settings_manager.hpp"
#include "support/temp_home.hpp"

#include <memory>
#include <string>
#include <vector>

namespace clicktrove::testing {

// One journal of everything the settings do to the outside, in order: "save" (a write of the record),
// "copy" (any other write), "remove" (the record taken away), analytics signals as "ThemeChanged theme=Dark",
// login-item calls as "login register", activation policies as "policy accessory".
class SettingsFixture : public TempHomeTest {
protected:
    class JournalDefaults final : public platform::UserDefaults {
    public:
        explicit JournalDefaults(std::vector<std::string>& journal) : journal_(journal) {}
        std::optional<nlohmann::json> value(const std::string& key) const override { return store.value(key); }
        bool setValue(const std::string& key, const nlohmann::json& value) override {
            journal_.push_back(key == SettingsManager::userDefaultsKey ? "save" : "copy");
            return store.setValue(key, value);
        }
        bool removeValue(const std::string& key) override {
            if (key == SettingsManager::userDefaultsKey) journal_.push_back("remove");
            return store.removeValue(key);
        }
        std::optional<platform::FileProblem> readProblem() const override { return readProblemToGive; }
        std::optional<platform::FileProblem> writeProblem() const override { return store.writeProblem(); }
        std::optional<platform::FileProblem> readProblemToGive;
        platform::InMemoryUserDefaults store;

    private:
        std::vector<std::string>& journal_;
    };

    class JournalLoginItem final : public platform::LoginItem {
    public:
        explicit JournalLoginItem(std::vector<std::string>& journal) : journal_(journal) {}
        Status status() const override { return fake.status(); }
        bool registerItem(std::string* error) override {
            journal_.push_back("login register");
            return fake.registerItem(error);
        }
        bool unregisterItem(std::string* error) override {
            journal_.push_back("login unregister");
            return fake.unregisterItem(error);
        }
        platform::FakeLoginItem fake;

    private:
        std::vector<std::string>& journal_;
    };

    class JournalPolicy final : public platform::ActivationPolicy {
    public:
        explicit JournalPolicy(std::vector<std::string>& journal) : journal_(journal) {}
        void setActivationPolicy(Policy policy) override {
            current = policy;
            journal_.push_back(policy == Policy::regular ? "policy regular" : "policy accessory");
        }
        void setTrayIconShown(std::function<bool()>) override {}
        void trayIconMayHaveChanged() override {}
        Policy current = Policy::regular;

    private:
        std::vector<std::string>& journal_;
    };

    class JournalAnalytics final : public AnalyticsClient {
    public:
        explicit JournalAnalytics(std::vector<std::string>& journal) : journal_(journal) {}
        void initialize(const Configuration&) override {}
        void signal(const std::string& name, const Parameters& parameters) override {
            std::string line = name;
            for (const auto& [k, v] : parameters) line += " " + k + "=" + v;
            journal_.push_back(line);
            sent.push_back({name, parameters});
        }
        std::vector<std::pair<std::string, Parameters>> sent;

    private:
        std::vector<std::string>& journal_;
    };

    SettingsManager& settings() {
        if (!settings_) {
            settings_ = std::make_unique<SettingsManager>(SettingsManager::Services{
                defaults, loginItem, policy, analytics, log, clock,
                [this](const platform::FileProblem& problem) { problems.push_back(problem); },
                [this](bool wanted, const std::string& reason) { loginProblems.emplace_back(wanted, reason); }});
        }
        return *settings_;
    }
    // As at the next start of the program: a new manager over the same stored values.
    void restart() {
        settings_.reset();
        journal.clear();
        problems.clear();
        loginProblems.clear();
    }

    // The stored record, parsed; null when there is none.
    nlohmann::json record() const {
        const auto value = defaults.store.value(SettingsManager::userDefaultsKey);
        if (!value || !value->is_string()) return nullptr;
        return nlohmann::json::parse(value->get<std::string>());
    }
    void storeRecord(const nlohmann::json& value) { defaults.store.setValue(SettingsManager::userDefaultsKey, value); }
    int saves() const { return defaults.store.writeCount(SettingsManager::userDefaultsKey); }

    std::vector<std::string> journal;
    // What the settings reported to the user, in order.
    std::vector<platform::FileProblem> problems;
    // Launch-at-login changes the login item refused: what was wanted, and why not.
    std::vector<std::pair<bool, std::string>> loginProblems;
    JournalDefaults defaults{journal};
    JournalLoginItem loginItem{journal};
    JournalPolicy policy{journal};
    std::shared_ptr<JournalAnalytics> client = std::make_shared<JournalAnalytics>(journal);
    AnalyticsManager analytics{client};
    std::shared_ptr<platform::RecordingLogSink> log = std::make_shared<platform::RecordingLogSink>();
    platform::FakeClock clock;

private:
    std::unique_ptr<SettingsManager> settings_;
};

}  // namespace clicktrove::testing
