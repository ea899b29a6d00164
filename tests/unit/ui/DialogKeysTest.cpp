#include "ui/DialogKeys.h"

#include "ui/Controls.h"
#include "ui/kit/SkinnedButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

template <class T> T &Place(TForm &form, TWinControl &parent, const std::string &name,
                            const std::string &caption = "") {
  T &control = form.Create<T>(name);
  control.SetParent(&parent);
  control.SetCaption(caption);
  return control;
}

class DialogKeysTest : public ::testing::Test {
protected:
  DialogKeysTest() { form.Show(); }
  THeadlessApplication app;
  TForm form{app, nullptr, "Dialog"};
  std::vector<std::string> clicks;
  TBaseBtn &Button(TWinControl &parent, const std::string &name, const std::string &caption) {
    auto &button = Place<TBaseBtn>(form, parent, name, caption);
    button.OnClick = [this, name](TComponent &) { clicks.push_back(name); };
    return button;
  }
};

TEST_F(DialogKeysTest, TabWalksTheShownStopsInPlacementOrderAndGoesRound) {
  auto &label = Place<TLabel>(form, form, "NameLbl", "&Name");
  auto &edit = Place<TEdit>(form, form, "NameEdit");
  auto &pages = Place<TPageControl>(form, form, "Pages");
  TPage &first = pages.AddPage("FirstPage", "First");
  TPage &second = pages.AddPage("SecondPage", "Second");
  auto &onFirst = Place<TCheckBox>(form, first, "FirstCBox");
  Place<TCheckBox>(form, second, "HiddenCBox"); // its page is not shown
  Place<TButton>(form, form, "OffBtn").SetEnabled(false);
  auto &skipped = Button(form, "SkippedBtn", "Skipped");
  skipped.TabStop = false;
  Place<TLabel>(form, form, "LastLbl", "&Last");
  TBaseBtn &ok = Button(form, "OkBtn", "Ok");
  EXPECT_EQ(TabStops(form), (std::vector<TControl *>{&edit, &pages, &onFirst, &ok}));

  const TShiftState none, shift{true, false, false};
  EXPECT_TRUE(HandleDialogKey(form, nullptr, kKeyTab, none));
  EXPECT_TRUE(edit.Focused());
  HandleDialogKey(form, &edit, kKeyTab, shift); // backwards round to the end
  EXPECT_TRUE(ok.Focused());
  HandleDialogKey(form, &ok, kKeyTab, none);
  EXPECT_TRUE(edit.Focused());
  // Alt with a label's access key focuses the stop after the label.
  HandleDialogKey(form, &ok, 'N', TShiftState{false, false, true});
  EXPECT_TRUE(edit.Focused());
  EXPECT_FALSE(label.Focused());
  HandleDialogKey(form, &edit, 'L', TShiftState{false, false, true});
  EXPECT_TRUE(ok.Focused());
  // Ctrl+Tab turns the page under the focus; the focus moves to the tabs.
  EXPECT_TRUE(HandleDialogKey(form, &onFirst, kKeyTab, TShiftState{false, true, false}));
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_TRUE(pages.Focused());
  EXPECT_TRUE(clicks.empty());
}

TEST_F(DialogKeysTest, EnterEscapeSpaceAndAccessKeysPressTheirButtons) {
  TBaseBtn &yes = Button(form, "YesBtn", "Yes");
  TBaseBtn &no = Button(form, "NoBtn", "No");
  auto &edit = Place<TEdit>(form, form, "Edit");
  auto &box = Place<TCheckBox>(form, form, "BlockCBox", "&Block input");
  const TShiftState none, alt{false, false, true};
  EXPECT_FALSE(HandleDialogKey(form, &edit, kKeyEnter, none)); // no default button yet
  yes.Default = true;
  no.Cancel = true;
  EXPECT_TRUE(HandleDialogKey(form, &edit, kKeyEnter, none));
  EXPECT_TRUE(HandleDialogKey(form, &no, kKeyEnter, none)); // the focused button wins
  EXPECT_TRUE(HandleDialogKey(form, &edit, kKeyEscape, none));
  EXPECT_TRUE(HandleDialogKey(form, &yes, kKeySpace, none));
  EXPECT_FALSE(HandleDialogKey(form, &edit, kKeySpace, none)); // the edit's own
  no.AccessKey = 'n';
  EXPECT_TRUE(HandleDialogKey(form, &edit, 'N', alt));
  EXPECT_FALSE(HandleDialogKey(form, &edit, 'N', none));
  EXPECT_TRUE(HandleDialogKey(form, &edit, 'B', alt));
  EXPECT_TRUE(box.Checked());
  EXPECT_TRUE(box.Focused());
  no.SetVisible(false); // a hidden button takes no key
  EXPECT_FALSE(HandleDialogKey(form, &edit, kKeyEscape, none));
  EXPECT_FALSE(HandleDialogKey(form, &edit, 'N', alt));
  EXPECT_EQ(clicks, (std::vector<std::string>{"YesBtn", "NoBtn", "NoBtn", "YesBtn", "NoBtn"}));
  EXPECT_EQ(AccessKeyOf(Place<TLabel>(form, form, "AmpLbl", "Fish && &chips")), 'C');
}

// A label that opens something when clicked is reached by Tab and pressed
// by Enter, Space and its access key; a plain label is no stop.
TEST_F(DialogKeysTest, LinksAreStopsPressedByEnterSpaceAndAccessKey) {
  Place<TLabel>(form, form, "PlainLbl", "Stress");
  auto &link = Place<TLabel>(form, form, "StressLbl", "&Explain");
  link.OnClick = [this](TComponent &) { clicks.push_back("StressLbl"); };
  TBaseBtn &ok = Button(form, "OkBtn", "Ok");
  EXPECT_EQ(TabStops(form), (std::vector<TControl *>{&link, &ok}));
  const TShiftState none;
  HandleDialogKey(form, &ok, kKeyTab, none);
  EXPECT_TRUE(link.Focused());
  EXPECT_TRUE(HandleDialogKey(form, &link, kKeyEnter, none));
  EXPECT_TRUE(HandleDialogKey(form, &link, kKeySpace, none));
  ok.SetFocus();
  EXPECT_TRUE(HandleDialogKey(form, &ok, 'E', TShiftState{false, false, true}));
  EXPECT_TRUE(link.Focused());
  EXPECT_EQ(clicks, (std::vector<std::string>{"StressLbl", "StressLbl", "StressLbl"}));
}

} // namespace
