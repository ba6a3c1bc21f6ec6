#pragma once

namespace tarnwick {

// The maker's pages that the link labels and the quick menu's Help open. Reserved names
// until the real site exists. Both donation labels open the same page.
inline constexpr const char* kDonationPage = "http://www.tarnwick.example/donate.html";
inline constexpr const char* kFeedbackPage = "http://www.tarnwick.example/feedback.html";
inline constexpr const char* kProductHomePage = "http://www.tarnwick.example/";
inline constexpr const char* kMakerHomePage = "http://www.tarnwick-works.example/index.html";

// The About panel names the site in short; a click opens kMakerHomePage, not this address.
inline constexpr const char* kWebsiteCaptionAddress = "www.tarnwick-works.example";
inline constexpr const char* kWebsiteCaption = "Website: www.tarnwick-works.example";

}  // namespace tarnwick
