#include "control/about_page.h"

#include <cstdlib>

namespace travimo {
namespace {

// The format "0#": at least two digits, a leading zero below ten.
std::string TwoDigits(int value) {
  std::string digits = std::to_string(std::abs(value));
  if (digits.size() < 2) digits.insert(0, 1, '0');
  return value < 0 ? "-" + digits : digits;
}

AboutElement Label(std::string name, std::string text, bool bold = false) {
  AboutElement element;
  element.name = std::move(name);
  element.text = std::move(text);
  element.bold = bold;
  return element;
}

}  // namespace

std::string AboutElement::Displayed() const {
  return image ? text : DisplayedCaption(text);
}

const AboutElement* AboutPage::Find(std::string_view elementName) const {
  for (const auto& element : elements) {
    if (element.name == elementName) return &element;
  }
  return nullptr;
}

std::string VersionLine(const VersionRecord& version) {
  return std::string(kVersionPlaceholder) + " " + std::to_string(version.major) + "." +
         TwoDigits(version.minor) + "." + std::to_string(version.revision);
}

AboutPage MakeAboutPage(const VersionRecord& version) {
  AboutPage page;
  AboutElement icon;
  icon.name = "Image1";
  icon.text = std::string(kAboutIcon);
  icon.image = true;
  page.elements.push_back(std::move(icon));
  page.elements.push_back(Label("Label1", "Caldrin Travimo ActiveX Control", true));
  page.elements.push_back(Label("lblVersion", VersionLine(version)));
  page.elements.push_back(Label("Label3", "This control will allow you to retrieve ScanData"));
  page.elements.push_back(Label("Label4", "From Lorvex, Brevane && Quenta"));
  return page;
}

std::string DisplayedCaption(std::string_view caption) {
  std::string shown;
  shown.reserve(caption.size());
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;  // "&&" -> "&", "&x" -> "x"
    shown += caption[i];
  }
  return shown;
}

std::string RenderAboutText(const AboutPage& page) {
  std::string text;
  for (const auto& element : page.elements) {
    if (element.image) continue;
    text += element.Displayed();
    text += '\n';
  }
  return text;
}

}  // namespace travimo
