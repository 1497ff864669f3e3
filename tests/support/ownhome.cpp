// Every test process lives in a home of its own: HOME and the XDG folders point
// into a fresh temporary folder before main() runs, so that nothing a test does
// (a file dialog's history in QtProject.conf, an installed program's settings)
// reaches the real user's files. The folder goes when the process ends.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

class OwnHome
{
public:
    OwnHome()
    {
        std::string folder =
            (std::filesystem::temp_directory_path() / "norva-home-XXXXXX").string();
        if (!::mkdtemp(folder.data())) {
            std::perror("norva tests: no home of their own");
            std::abort();
        }
        m_folder = folder;
        ::setenv("HOME", folder.c_str(), 1);
        const char *const xdg[][2] = {{"XDG_CONFIG_HOME", "/.config"},
                                      {"XDG_DATA_HOME", "/.local/share"},
                                      {"XDG_STATE_HOME", "/.local/state"},
                                      {"XDG_CACHE_HOME", "/.cache"}};
        for (const auto &[name, under] : xdg)
            ::setenv(name, (folder + under).c_str(), 1);
    }
    ~OwnHome()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    OwnHome(const OwnHome &) = delete;
    OwnHome &operator=(const OwnHome &) = delete;

private:
    std::string m_folder;
};

// Built before main() and so before any Qt object reads the environment;
// removed after every static of Qt built later.
const OwnHome ownHome;

} // namespace
