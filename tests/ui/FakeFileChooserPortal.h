#pragma once
// The desktop's file-chooser portal on a private bus, from a thread of its own: it notes
// each request (method, title, options) and answers with the files a test set, or as
// cancelled. It tells the interface version it was made with (3 unless said).
#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <systemd/sd-bus.h>

namespace orvane::testing {

class FakeFileChooserPortal {
public:
    struct Call {
        std::string method, parentWindow, title;
        std::map<std::string, std::string> options;  // strings and booleans ("true"), folders as text
        std::vector<std::string> filterNames;
    };

    explicit FakeFileChooserPortal(const std::string& address, std::uint32_t version = 3) : version_(version) {
        if (sd_bus_new(&bus_) < 0) return;
        sd_bus_set_address(bus_, address.c_str());
        sd_bus_set_bus_client(bus_, 1);
        ready_ = sd_bus_start(bus_) >= 0 &&
                 sd_bus_add_object(bus_, nullptr, "/org/freedesktop/portal/desktop", &FakeFileChooserPortal::handle,
                                   this) >= 0 &&
                 sd_bus_request_name(bus_, "org.freedesktop.portal.Desktop", 0) >= 0;
        if (!ready_) return;
        thread_ = std::thread([this] {
            while (!stop_)
                if (sd_bus_process(bus_, nullptr) == 0) sd_bus_wait(bus_, 20'000);
        });
    }
    ~FakeFileChooserPortal() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (bus_) sd_bus_flush_close_unref(bus_);
    }
    FakeFileChooserPortal(const FakeFileChooserPortal&) = delete;
    FakeFileChooserPortal& operator=(const FakeFileChooserPortal&) = delete;

    bool ready() const { return ready_; }
    // What the next answers hold: these URIs, or none for a cancel.
    void answer(std::vector<std::string> uris) {
        std::lock_guard lock(mutex_);
        uris_ = std::move(uris);
    }
    std::vector<Call> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    static int readOptions(sd_bus_message* m, Call& call) {
        if (sd_bus_message_enter_container(m, 'a', "{sv}") < 0) return -1;
        while (sd_bus_message_enter_container(m, 'e', "sv") > 0) {
            const char* key = nullptr;
            sd_bus_message_read(m, "s", &key);
            const char* contents = nullptr;
            sd_bus_message_peek_type(m, nullptr, &contents);
            const std::string type = contents ? contents : "";
            if (type == "s") {
                const char* value = nullptr;
                sd_bus_message_read(m, "v", "s", &value);
                call.options[key] = value ? value : "";
            } else if (type == "b") {
                int value = 0;
                sd_bus_message_read(m, "v", "b", &value);
                call.options[key] = value ? "true" : "false";
            } else if (type == "ay") {
                sd_bus_message_enter_container(m, 'v', "ay");
                const void* bytes = nullptr;
                size_t size = 0;
                sd_bus_message_read_array(m, 'y', &bytes, &size);
                call.options[key] = std::string(static_cast<const char*>(bytes), size ? size - 1 : 0);
                sd_bus_message_exit_container(m);
            } else if (type == "a(sa(us))") {
                sd_bus_message_enter_container(m, 'v', "a(sa(us))");
                sd_bus_message_enter_container(m, 'a', "(sa(us))");
                while (sd_bus_message_enter_container(m, 'r', "sa(us)") > 0) {
                    const char* name = nullptr;
                    sd_bus_message_read(m, "s", &name);
                    call.filterNames.push_back(name ? name : "");
                    sd_bus_message_skip(m, "a(us)");
                    sd_bus_message_exit_container(m);
                }
                sd_bus_message_exit_container(m);
                sd_bus_message_exit_container(m);
            } else {
                sd_bus_message_skip(m, "v");
            }
            sd_bus_message_exit_container(m);
        }
        return sd_bus_message_exit_container(m);
    }

    static int handle(sd_bus_message* m, void* userdata, sd_bus_error*) {
        auto* self = static_cast<FakeFileChooserPortal*>(userdata);
        if (sd_bus_message_is_method_call(m, "org.freedesktop.DBus.Properties", "Get"))
            return sd_bus_reply_method_return(m, "v", "u", self->version_);
        const bool open = sd_bus_message_is_method_call(m, "org.freedesktop.portal.FileChooser", "OpenFile");
        const bool save = sd_bus_message_is_method_call(m, "org.freedesktop.portal.FileChooser", "SaveFile");
        if (!open && !save) return 0;
        Call call;
        call.method = open ? "OpenFile" : "SaveFile";
        const char* parent = nullptr;
        const char* title = nullptr;
        sd_bus_message_read(m, "ss", &parent, &title);
        call.parentWindow = parent ? parent : "";
        call.title = title ? title : "";
        readOptions(m, call);
        std::string sender = sd_bus_message_get_sender(m) + 1;
        for (char& c : sender)
            if (c == '.') c = '_';
        const std::string path =
            "/org/freedesktop/portal/desktop/request/" + sender + "/" + call.options["handle_token"];
        std::vector<std::string> uris;
        {
            std::lock_guard lock(self->mutex_);
            self->calls_.push_back(call);
            uris = self->uris_;
        }
        sd_bus_reply_method_return(m, "o", path.c_str());
        sd_bus_message* signal = nullptr;
        sd_bus_message_new_signal(self->bus_, &signal, path.c_str(), "org.freedesktop.portal.Request", "Response");
        sd_bus_message_append(signal, "u", uris.empty() ? 1u : 0u);
        sd_bus_message_open_container(signal, 'a', "{sv}");
        if (!uris.empty()) {
            sd_bus_message_open_container(signal, 'e', "sv");
            sd_bus_message_append(signal, "s", "uris");
            sd_bus_message_open_container(signal, 'v', "as");
            sd_bus_message_open_container(signal, 'a', "s");
            for (const auto& uri : uris) sd_bus_message_append(signal, "s", uri.c_str());
            sd_bus_message_close_container(signal);
            sd_bus_message_close_container(signal);
            sd_bus_message_close_container(signal);
        }
        sd_bus_message_close_container(signal);
        sd_bus_send(self->bus_, signal, nullptr);
        sd_bus_message_unref(signal);
        return 1;
    }

    std::uint32_t version_;
    sd_bus* bus_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> uris_;
    std::vector<Call> calls_;
};

}  // namespace orvane::testing
