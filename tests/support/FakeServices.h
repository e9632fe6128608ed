// SPDX-License-Identifier: MIT
#pragma once
// A stand-in for the world outside the forms, shared by the model tests: a
// settable clock, a counted beep, recorded window regions, icon calls,
// drags and the end of the program, pictures of a chosen size, scripted
// answers for the file and colour dialogs, and a program folder of the
// test's own. Owns nothing but its records; the folder is made and removed
// by the test that uses it.

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Services.h"
#include "TextEncoding.h"

namespace orbelle::testing {

class FakeServices : public form::Services {
public:
    // now() hands out the queued times first, one per call, then `time`.
    form::LocalTime time;
    std::deque<form::LocalTime> queuedTimes;
    int nowCalls = 0;

    int beeps = 0;
    std::vector<form::BeepSound> beepSounds;
    // Title and text of each notification.
    std::vector<std::pair<std::string, std::string>> notifications;
    // Title and text of each message box.
    std::vector<std::pair<std::string, std::string>> messages;
    std::filesystem::path watchedFile;
    std::filesystem::path alsoWatched;
    std::function<void()> folderChanged;
    std::vector<std::optional<form::WindowRegion>> regions;
    bool addIconResult = true;
    std::vector<form::NotifyIcon> addedIcons;
    std::vector<form::NotifyIcon> deletedIcons;
    int drags = 0;
    std::filesystem::path folder;
    int twipsPerPixel = 15;
    int endCalls = 0;

    // Size given to a picture from an existing file.
    int pictureWidth = 170;
    int pictureHeight = 120;
    // Paths that load without a file on disk, with their sizes.
    std::map<std::string, std::pair<int, int>> registeredPictures;
    // Existing files that must not load, like a text file.
    std::vector<std::string> unreadablePictures;
    std::vector<std::string> pictureRequests;

    // Dialog answers, taken one per dialog; none left (or nullopt) cancels.
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<std::optional<int>> colourAnswers;
    std::vector<form::FileDialogRequest> openRequests;
    std::vector<form::FileDialogRequest> saveRequests;
    std::vector<int> colourRequests; // the colour each colour dialog opened on
    std::vector<std::filesystem::path> currentDirectories;

    form::LocalTime now() override
    {
        ++nowCalls;
        if (queuedTimes.empty())
            return time;
        const form::LocalTime t = queuedTimes.front();
        queuedTimes.pop_front();
        return t;
    }

    void beep(form::BeepSound sound) override
    {
        ++beeps;
        beepSounds.push_back(sound);
    }

    void showNotification(form::Form &, const std::string &title, const std::string &text) override
    {
        notifications.emplace_back(title, text);
    }

    void showMessage(form::Form &, const std::string &title, const std::string &text) override
    {
        messages.emplace_back(title, text);
    }

    void watchFile(const std::filesystem::path &watched, std::function<void()> changed) override
    {
        watchedFile = watched;
        folderChanged = std::move(changed);
    }

    void watchAlso(const std::filesystem::path &watched) override { alsoWatched = watched; }

    std::shared_ptr<const form::Picture> loadPicture(const std::string &path) override
    {
        pictureRequests.push_back(path);
        if (auto it = registeredPictures.find(path); it != registeredPictures.end())
            return std::make_shared<form::Picture>(path, it->second.first, it->second.second);
        for (const std::string &bad : unreadablePictures)
            if (bad == path)
                return nullptr;
        std::error_code ec;
        if (!path.empty() && std::filesystem::is_regular_file(pathFromUtf8(path), ec))
            return std::make_shared<form::Picture>(path, pictureWidth, pictureHeight);
        return nullptr;
    }

    void setWindowRegion(form::Form &, const std::optional<form::WindowRegion> &region) override
    {
        regions.push_back(region);
    }

    bool addNotifyIcon(form::Form &, const form::NotifyIcon &icon) override
    {
        addedIcons.push_back(icon);
        return addIconResult;
    }

    void deleteNotifyIcon(form::Form &, const form::NotifyIcon &icon) override { deletedIcons.push_back(icon); }
    void beginWindowDrag(form::Form &) override { ++drags; }
    std::filesystem::path programFolder() override { return folder; }
    int twipsPerPixelX() override { return twipsPerPixel; }
    void endProgram() override { ++endCalls; }

    std::optional<std::string> showOpenDialog(const form::FileDialogRequest &request) override
    {
        openRequests.push_back(request);
        return take(openAnswers);
    }

    std::optional<std::string> showSaveDialog(const form::FileDialogRequest &request) override
    {
        saveRequests.push_back(request);
        return take(saveAnswers);
    }

    std::optional<int> chooseColor(int initial) override
    {
        colourRequests.push_back(initial);
        return take(colourAnswers);
    }

    bool setCurrentDirectory(const std::filesystem::path &folderPath) override
    {
        currentDirectories.push_back(folderPath);
        return true;
    }

private:
    template <class T>
    static std::optional<T> take(std::deque<std::optional<T>> &answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<T> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// A folder of the test's own under the system's temporary folder, removed
// with everything in it when the test is done.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string &prefix = "orbelle-test-")
    {
        std::random_device seed;
        do
            path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(seed()));
        while (!std::filesystem::create_directory(path_));
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }
    // The names in the folder, sorted, separated by spaces.
    std::string listing() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(path_)) {
            const std::u8string name = entry.path().filename().u8string();
            names.emplace_back(name.begin(), name.end());
        }
        std::sort(names.begin(), names.end());
        std::string out;
        for (const auto &n : names)
            out += (out.empty() ? "" : " ") + n;
        return out;
    }

private:
    std::filesystem::path path_;
};

} // namespace orbelle::testing
