// The saved sites' file changed by two host processes in turn and at once,
// checked against a small model after every step: nothing another process
// saved is lost, the file always reads back, and no remembered password
// opens for another host, port, user, TLS or pin; a pin taken again keeps
// the site's password for the new pin.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/sites/site_steps.h"

namespace {

const char* const pinA = "0E:CF:16:A1:22:9B:00:FF:10:20:30:40:50:60:70:80:90:A0:B0:C0:D0:E0:F0:01:02:03:04:05:06:07:3A:43";
const char* const pinB = "11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00";

std::string lowered(std::string text) {
    for (char& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

struct ModelSite {
    std::string name, host;
    int port;
    std::string user;
    bool tls;
    std::string pin, password;
    std::string commands;  // own commands, joined by ';'
};

// What the file should hold: sites in the order added, names without regard
// to ASCII case, a site's password and pin changed only through its binding.
struct Model {
    std::vector<ModelSite> list;

    ModelSite* find(const std::string& name) {
        for (ModelSite& site : list) {
            if (lowered(site.name) == lowered(name)) {
                return &site;
            }
        }
        return nullptr;
    }
    ModelSite* bind(const std::vector<std::string>& f) {
        ModelSite* site = find(f[1]);
        const bool same = site != nullptr && lowered(site->host) == lowered(f[2]) &&
                          site->port == std::stoi(f[3]) && site->user == f[4] && site->tls == (f[5] == "yes") &&
                          site->pin == f[6];
        return same ? site : nullptr;
    }
    bool apply(const std::string& line) {
        const std::vector<std::string> f = site_steps::fields(line);
        if (f[0] == "delete") {
            ModelSite* site = find(f[1]);
            if (site != nullptr) {
                list.erase(list.begin() + (site - list.data()));
            }
            return site != nullptr;
        }
        if (f[0] == "save") {
            const ModelSite fresh{f[1], f[2], std::stoi(f[3]), f[4], f[5] == "yes", f[6], f[7], ""};
            ModelSite* site = find(f[1]);
            site != nullptr ? static_cast<void>(*site = fresh) : list.push_back(fresh);
            return true;
        }
        ModelSite* site = bind(f);
        if (site != nullptr) {
            (f[0] == "pin" ? site->pin : f[0] == "commands" ? site->commands : site->password) = f[7];
        }
        return site != nullptr;
    }
};

// The other host process, fed a step at a time through a pipe.
class Worker {
public:
    Worker(const std::string& sitesFile) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE childIn = nullptr;
        HANDLE childOut = nullptr;
        CreatePipe(&childIn, &toChild, &inherit, 0);
        CreatePipe(&fromChild, &childOut, &inherit, 0);
        SetHandleInformation(toChild, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(fromChild, HANDLE_FLAG_INHERIT, 0);
        char self[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, self, MAX_PATH);
        std::string folder(self);
        folder.resize(folder.find_last_of('\\') + 1);
        std::string command = "\"" + folder + "site_store_worker.exe\" \"" + sitesFile + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                 &process) != 0;
        CloseHandle(childIn);
        CloseHandle(childOut);
    }
    ~Worker() {
        CloseHandle(toChild);
        if (started) {
            WaitForSingleObject(process.hProcess, 10000);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        CloseHandle(fromChild);
    }
    bool running() const { return started; }
    void send(const std::string& line) {
        const std::string bytes = line + "\n";
        DWORD written = 0;
        WriteFile(toChild, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    std::string answer() {
        std::string line;
        char c = 0;
        DWORD read = 0;
        while (ReadFile(fromChild, &c, 1, &read, nullptr) && read == 1 && c != '\n') {
            line += c == '\r' ? "" : std::string(1, c);
        }
        return line;
    }

private:
    HANDLE toChild = nullptr;
    HANDLE fromChild = nullptr;
    PROCESS_INFORMATION process{};
    bool started = false;
};

class SiteStoreTwoHosts : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        path = std::string(temp) + "quorin-two-hosts-" + std::to_string(GetCurrentProcessId()) + ".ini";
    }
    void TearDown() override {
        DeleteFileA(path.c_str());
        DeleteFileA((path + ".lock").c_str());
    }
    std::string path;
};

template <typename T>
const T& pick(std::mt19937& random, const std::vector<T>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
}

std::string keyFields(const std::string& name, const ModelSite& site) {
    return name + "|" + site.host + "|" + std::to_string(site.port) + "|" + site.user + "|" +
           (site.tls ? "yes" : "no") + "|" + site.pin;
}

// A random step: saves and deletes under names that differ in case and
// script, pins and passwords for the site's own binding or a near miss.
std::string randomStep(std::mt19937& random, Model& model) {
    const std::vector<std::string> names = {"Main", "MAIN", "main", "Test box", "\xE6\x97\xA5\xE6\x9C\xAC",
                                            "\xEF\xBC\xAD" "ain", "a\xE2\x89\xA0" "b"};
    const std::vector<std::string> hosts = {"ftp.example.net", "FTP.example.net", "10.0.0.1", "\xC3\xA9xample"};
    const std::vector<int> ports = {21, 2121, 2122};
    const std::vector<std::string> users = {"siteop", "SiteOp", "other"};
    const std::vector<std::string> pins = {"", pinA, pinB};
    const std::vector<std::string> passwords = {"", "hunter2", "pa ss"};
    const std::vector<std::string> commands = {"SITE WHO", "SITE WHO;SITE NUKE x 3 old", "SITE \xE6\x97\xA5"};
    ModelSite site{pick(random, names), pick(random, hosts), pick(random, ports), pick(random, users),
                   random() % 2 == 0, pick(random, pins), pick(random, passwords), ""};
    const std::string name = site.name;
    switch (random() % 4) {
    case 0:
        return "save|" + keyFields(name, site) + "|" + site.password;
    case 1:
        return "delete|" + name;
    default:
        if (!model.list.empty() && random() % 3 != 0) {
            site = model.list[random() % model.list.size()];  // its own binding, named in any case
        }
        switch (random() % 3) {
        case 0:
            return "pin|" + keyFields(name, site) + "|" + (pinA == site.pin ? pinB : pinA);
        case 1:
            return "remember|" + keyFields(name, site) + "|" + pick(random, passwords);
        default:
            return "commands|" + keyFields(name, site) + "|" + pick(random, commands);
        }
    }
}

// The file as the model says, and each password for its own site only.
void expectFileIs(const std::string& path, const Model& model, const std::string& after) {
    sites::SiteStore reader(path);
    std::string failure;
    ASSERT_TRUE(reader.load(failure)) << after << ": " << failure;
    const std::vector<sites::SavedSite>& read = reader.sites().all();
    ASSERT_EQ(read.size(), model.list.size()) << after;
    for (std::size_t i = 0; i < read.size(); ++i) {
        const sites::SavedSite& got = read[i];
        const ModelSite& want = model.list[i];
        EXPECT_EQ(keyFields(got.name, {"", got.host, got.port, got.user, got.requireTls, got.fingerprint, "", ""}),
                  keyFields(want.name, want))
            << after;
        std::string commands;
        for (const std::string& command : got.ownCommands) {
            commands += (commands.empty() ? "" : ";") + command;
        }
        EXPECT_EQ(commands, want.commands) << after << ": " << got.name;
        std::string password;
        EXPECT_EQ(got.protectedPassword.empty(), want.password.empty()) << after;
        if (want.password.empty()) {
            continue;
        }
        EXPECT_TRUE(sites::unprotectPassword(got.protectedPassword, got.key(), password) &&
                    password == want.password)
            << after << ": " << got.name;
        const sites::SiteKey own = got.key();
        std::vector<sites::SiteKey> others = {{got.host, got.port + 1, got.user, own.requireTls, own.fingerprint},
                                              {got.host, got.port, got.user + "x", own.requireTls, own.fingerprint},
                                              {got.host + "x", got.port, got.user, own.requireTls, own.fingerprint},
                                              {got.host, got.port, got.user, !own.requireTls, own.fingerprint},
                                              {got.host, got.port, got.user, own.requireTls,
                                               own.fingerprint == pinA ? pinB : pinA}};
        for (const sites::SavedSite& other : read) {
            if (lowered(other.host) != lowered(got.host) || other.port != got.port || other.user != got.user ||
                other.requireTls != got.requireTls || other.fingerprint != got.fingerprint) {
                others.push_back(other.key());
            }
        }
        for (const sites::SiteKey& key : others) {
            EXPECT_FALSE(sites::unprotectPassword(got.protectedPassword, key, password))
                << after << ": " << got.name << "'s password opens for " << key.host << ":" << key.port << " "
                << key.user;
        }
    }
}

TEST_F(SiteStoreTwoHosts, RandomChangesFromEitherHostKeepEveryOtherChange) {
    const char* seedText = std::getenv("QUORIN_SEED");
    const unsigned seed = seedText != nullptr ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 20261207u;
    std::mt19937 random(seed);
    Worker worker(path);
    ASSERT_TRUE(worker.running());
    sites::SiteStore self(path);  // opened once, as a window's store is
    std::string failure;
    self.load(failure);
    Model model;
    for (int step = 0; step < 250; ++step) {
        const std::string line = randomStep(random, model);
        const bool byWorker = random() % 2 == 0;
        std::string answer;
        if (byWorker) {
            worker.send(line);
            answer = worker.answer();
        } else {
            answer = site_steps::apply(self, line);
        }
        const std::string after = "seed " + std::to_string(seed) + ", step " + std::to_string(step) + " (" +
                                  (byWorker ? "other host" : "this host") + "): " + line;
        ASSERT_EQ(answer, model.apply(line) ? "ok" : "refused") << after;
        expectFileIs(path, model, after);
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(SiteStoreTwoHosts, ChangesMadeAtTheSameTimeAreAllKept) {
    Worker worker(path);
    ASSERT_TRUE(worker.running());
    sites::SiteStore self(path);
    const int each = 40;
    for (int i = 0; i < each; ++i) {
        worker.send("save|other " + std::to_string(i) + "|h|21|u|yes||");
    }
    int saved = 0;
    for (int i = 0; i < each; ++i) {
        saved += site_steps::apply(self, "save|this " + std::to_string(i) + "|h|21|u|yes||") == "ok" ? 1 : 0;
    }
    for (int i = 0; i < each; ++i) {
        saved += worker.answer() == "ok" ? 1 : 0;
    }
    EXPECT_EQ(saved, 2 * each);
    sites::SiteStore reader(path);
    std::string failure;
    ASSERT_TRUE(reader.load(failure)) << failure;
    EXPECT_EQ(reader.sites().all().size(), static_cast<std::size_t>(2 * each));
}

}  // namespace
