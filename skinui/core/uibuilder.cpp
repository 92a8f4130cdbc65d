#include "skinui/core/uibuilder.h"

#include <algorithm>
#include <cwchar>
#include <functional>

#include "common/text_convert.h"
#include "skinui/control/uibutton.h"
#include "skinui/control/uiedit.h"
#include "skinui/control/uilabel.h"
#include "skinui/control/uiprogress.h"
#include "skinui/core/attribute_values.h"
#include "skinui/core/rect_convert.h"
#include "skinui/core/skin_diagnostics.h"
#include "skinui/core/skin_resources.h"
#include "skinui/core/uimanager.h"
#include "skinui/layout/uicontainer.h"
#include "skinui/utils/uishadow.h"

namespace SkinUI {

namespace {

// A file that includes itself, directly or through others, stops here.
constexpr int kMaxIncludeDepth = 8;
// "count" repeats an included file; more than this is a broken skin, not a layout.
constexpr int32_t kMaxIncludeCount = 64;

template <class Control>
std::unique_ptr<CControlUI> Make() {
  return std::make_unique<Control>();
}

struct ToolkitElement {
  const wchar_t* name;
  std::unique_ptr<CControlUI> (*create)();
};

constexpr ToolkitElement kToolkitElements[] = {
    {L"Control", &Make<CControlUI>},
    {L"Container", &Make<CContainerUI>},
    {L"VerticalLayout", &Make<CVerticalLayoutUI>},
    {L"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {L"TabLayout", &Make<CTabLayoutUI>},
    {L"Label", &Make<CLabelUI>},
    {L"Text", &Make<CTextUI>},
    {L"Button", &Make<CButtonUI>},
    {L"Edit", &Make<CEditUI>},
    {L"Progress", &Make<CProgressUI>},
    {L"Slider", &Make<CSliderUI>},
};

// The attributes of a window skin's root, which set properties of the window rather than of a
// control. `bktrans` counts only in lower case.
const AttributeTable<CSkinManagerUI>& WindowAttributes() {
  static const AttributeTable<CSkinManagerUI> table({
      {L"size",
       [](CSkinManagerUI& manager, WStringView value) {
         const UiSize size = ParseSize(value);
         manager.SetInitSize(size.cx, size.cy);
       }},
      {L"caption",
       [](CSkinManagerUI& manager, WStringView value) { manager.SetCaptionRect(ToRECT(ParseRect(value))); }},
      {L"sizebox", [](CSkinManagerUI& manager, WStringView value) { manager.SetSizeBox(ToRECT(ParseRect(value))); }},
      {L"bktrans", [](CSkinManagerUI& manager, WStringView value) { manager.SetLayered(ParseBool(value)); },
       NameMatch::kExact},
      {L"showshadow",
       [](CSkinManagerUI& manager, WStringView value) { manager.GetShadow()->ShowShadow(ParseBool(value)); }},
      {L"shadowimage",
       [](CSkinManagerUI& manager, WStringView value) { manager.GetShadow()->SetImage(CSkinString(value)); }},
      {L"shadowsize",
       [](CSkinManagerUI& manager, WStringView value) { manager.GetShadow()->SetSize(ParseInteger(value)); }},
      {L"shadowcorner",
       [](CSkinManagerUI& manager, WStringView value) { manager.GetShadow()->SetCorner(ToRECT(ParseRect(value))); }},
  });
  return table;
}

// Elements that register something with the manager rather than make a control.
bool IsDeclaration(const MarkupNode& element) {
  for (const wchar_t* name : {L"Image", L"Font", L"Default", L"Style", L"Import"}) {
    if (element.IsNamed(name)) return true;
  }
  return false;
}

}  // namespace

std::unique_ptr<CControlUI> CreateToolkitControl(WStringView element_name) {
  for (const ToolkitElement& element : kToolkitElements) {
    if (NameEquals(element_name, element.name)) return element.create();
  }
  return nullptr;
}

std::unique_ptr<CControlUI> CSkinBuilder::Create(const wchar_t* skin, const wchar_t* type,
                                                 ISkinBuilderCallback* callback, CSkinManagerUI* manager) {
  m_pCallback = callback;
  m_pManager = manager;
  m_error.clear();
  if (type != nullptr || skin == nullptr) {
    m_error = "Error opening file";
    SkinDiagnostics().SkinFileFailed(skin != nullptr ? skin : L"", m_error);
    return nullptr;
  }
  if (!Load(skin)) return nullptr;
  const MarkupNode& root = *m_markup.Root();
  if (root.IsNamed(L"Window") && m_pManager != nullptr && m_pManager->GetPaintWindow() != nullptr) {
    ApplyWindowAttributes(root);
  }
  std::unique_ptr<CControlUI> top_level;
  BuildFile(root, nullptr, &top_level);
  return top_level;
}

bool CSkinBuilder::Load(const wchar_t* skin) {
  bool loaded = false;
  if (skin[0] == L'<') {
    m_file = L"(markup text)";
    // Markup given as text is parsed from its UTF-8 form, as a file would be.
    const std::string utf8 = WideToCodePage(CP_UTF8, skin);
    loaded = m_markup.Load(utf8.data(), utf8.size());
    if (!loaded) m_error = m_markup.ErrorText();
  } else {
    m_file = skin;
    const SkinReadResult file = SkinResources::Process().ReadSkinXml(skin);
    if (!file.Succeeded()) {
      m_error = SkinReadErrorText(file.error);
    } else {
      loaded = m_markup.Load(file.bytes.data(), file.bytes.size());
      if (!loaded) m_error = m_markup.ErrorText();
    }
  }
  if (!loaded) SkinDiagnostics().SkinFileFailed(m_file, m_error);
  return loaded;
}

void CSkinBuilder::BuildFile(const MarkupNode& root, CControlUI* parent, std::unique_ptr<CControlUI>* top_level) {
  for (const MarkupNode& child : root.Children()) {
    if (child.IsNamed(L"Font")) {
      RegisterFont(child);
    } else if (child.IsNamed(L"Default") && m_pManager != nullptr) {
      const WString* name = child.FindAttribute(L"name");
      const WString* value = child.FindAttribute(L"value");
      if (name != nullptr && value != nullptr) m_pManager->AddDefaultAttributeList(*name, *value);
    }
  }
  for (const MarkupNode& child : root.Children()) {
    if (!IsDeclaration(child)) Parse(child, parent, top_level);
  }
}

void CSkinBuilder::Parse(const MarkupNode& element, CControlUI* parent, std::unique_ptr<CControlUI>* top_level) {
  if (element.IsNamed(L"Include")) {
    Include(element, parent, top_level);
    return;
  }
  if (IsDeclaration(element)) return;
  std::unique_ptr<CControlUI> control = CreateToolkitControl(element.Name());
  if (!control && m_pCallback != nullptr) control.reset(m_pCallback->CreateControl(element.Name().c_str()));
  if (!control) {
    // An element nobody knows is left out; its children are built but belong nowhere.
    OutputDebugStringW((L"未知控件:" + element.Name()).c_str());
    for (const MarkupNode& child : element.Children()) {
      std::unique_ptr<CControlUI> orphan;
      Parse(child, nullptr, &orphan);
    }
    return;
  }
  for (const MarkupNode& child : element.Children()) Parse(child, control.get(), nullptr);

  CControlUI* built = control.get();
  if (parent != nullptr) {
    CContainerUI* container = parent->AsContainer();
    if (container == nullptr || !container->Add(std::move(control))) return;
  }
  if (m_pManager != nullptr) built->SetManager(m_pManager, parent, true);
  if (m_pManager != nullptr) {
    if (const CSkinString* defaults = m_pManager->GetDefaultAttributeList(element.Name())) {
      for (const MarkupAttribute& attribute : ParseAttributeList(*defaults)) ApplyAttribute(*built, element, attribute);
    }
  }
  for (const MarkupAttribute& attribute : element.Attributes()) ApplyAttribute(*built, element, attribute);
  if (parent == nullptr && top_level != nullptr && !*top_level) *top_level = std::move(control);
}

void CSkinBuilder::Include(const MarkupNode& element, CControlUI* parent, std::unique_ptr<CControlUI>* top_level) {
  const WString* source = element.FindAttribute(L"source");
  if (source == nullptr || m_includeDepth >= kMaxIncludeDepth) return;
  const WString* count_text = element.FindAttribute(L"count");
  const int32_t count = count_text != nullptr ? std::clamp(ParseInteger(*count_text), 0, kMaxIncludeCount) : 1;
  for (int32_t i = 0; i < count; ++i) {
    CSkinBuilder included;
    included.m_pCallback = m_pCallback;
    included.m_pManager = m_pManager;
    included.m_includeDepth = m_includeDepth + 1;
    if (!included.Load(source->c_str())) return;
    included.BuildFile(*included.m_markup.Root(), parent, top_level);
  }
}

void CSkinBuilder::RegisterFont(const MarkupNode& element) {
  const WString* id = element.FindAttribute(L"id");
  if (id == nullptr || m_pManager == nullptr) return;
  const auto text = [&](const wchar_t* name) {
    const WString* value = element.FindAttribute(name);
    return value != nullptr ? *value : WString();
  };
  const WString* size = element.FindAttribute(L"size");
  m_pManager->Fonts().Add(ParseInteger(*id), text(L"name"), size != nullptr ? ParseInteger(*size) : 12,
                          ParseBool(text(L"bold")), ParseBool(text(L"underline")), ParseBool(text(L"italic")),
                          ParseBool(text(L"default")), m_pManager->GetDPI());
}

void CSkinBuilder::ApplyWindowAttributes(const MarkupNode& root) {
  for (const MarkupAttribute& attribute : root.Attributes()) {
    if (!WindowAttributes().Apply(*m_pManager, attribute.name, attribute.value)) {
      SkinDiagnostics().UnknownAttribute(m_file, root.Name(), attribute.name);
    }
  }
}

void CSkinBuilder::ApplyAttribute(CControlUI& control, const MarkupNode& element, const MarkupAttribute& attribute) {
  if (!control.SetAttribute(attribute.name, attribute.value)) {
    SkinDiagnostics().UnknownAttribute(m_file, element.Name(), attribute.name);
  }
}

}  // namespace SkinUI
