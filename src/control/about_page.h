#pragma once
// The About property page: the control's title, purpose and version, shown by
// a host among the control's property pages. It edits nothing.
#include <string>
#include <string_view>
#include <vector>

#include <travimo/platform/version.h>

namespace travimo {

struct AboutElement {
  std::string name;  // Label1, lblVersion, Label3, Label4, Image1
  // A label's caption as stored, with "&&" standing for one ampersand; for the
  // image, the name of the icon it shows.
  std::string text;
  bool bold = false;
  std::string font = "MS Sans Serif";
  bool image = false;

  // What the page shows: the caption with its ampersand escapes resolved.
  std::string Displayed() const;
};

struct AboutPage {
  std::string name = "About";
  // Top to bottom: the icon with the title beside it, the version line, the two lines of text.
  std::vector<AboutElement> elements;

  // Null when there is no element of that name.
  const AboutElement* Find(std::string_view elementName) const;
};

// The version line's text before the page is initialised.
inline constexpr std::string_view kVersionPlaceholder = "Version";
inline constexpr std::string_view kAboutIcon = "travimo.ico";

// The page as initialised: "Version major.0#minor.revision".
AboutPage MakeAboutPage(const VersionRecord& version);
std::string VersionLine(const VersionRecord& version);

// A label's displayed text: "&&" shows one ampersand; a single "&" only marks
// the access key that follows it and is not shown.
std::string DisplayedCaption(std::string_view caption);

// The page as plain text, one line per label, for hosts without a display.
std::string RenderAboutText(const AboutPage& page);

}  // namespace travimo
