#pragma once

#include <QString>

namespace tarnwick {

class ShellServices;

// The maker's pages and contact details.
inline constexpr const char* kProductHomePage = "https://tarnwick.example/";
inline constexpr const char* kDonationPage = "https://tarnwick.example/donate.html";
inline constexpr const char* kFeedbackPage = "https://tarnwick.example/feedback.html";
inline constexpr const char* kMakerHomePage = "https://www.marlowsoft.example/";
// What the About panel shows as the web address; a click opens kMakerHomePage instead.
inline constexpr const char* kWebsiteCaptionAddress = "www.marlowsoft.example";
inline constexpr const char* kContactAddress = "tarnwick@marlowsoft.example";
inline constexpr const char* kAuthorName = "Robin Marlow";

// Opens the address in a new browser window. A browser that cannot be started changes
// nothing and shows nothing.
void OpenWebPage(ShellServices& services, const QString& address);

}  // namespace tarnwick
