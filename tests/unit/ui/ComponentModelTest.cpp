#include "ui/Controls.h"
#include "ui/Forms.h"
#include "ui/Menus.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Records the order components are destroyed in.
std::vector<std::string> g_destroyed;
class TTracked : public TComponent {
public:
  using TComponent::TComponent;
  ~TTracked() override { g_destroyed.push_back(Name()); }
};

class TRecordingPeer : public TControlPeer {
public:
  explicit TRecordingPeer(std::vector<TProperty> &log) : log_(log) {}
  void Changed(TControl &, TProperty property) override { log_.push_back(property); }

private:
  std::vector<TProperty> &log_;
};

TEST(ComponentModel, OwnershipOrderLookupAndDestruction) {
  g_destroyed.clear();
  {
    THeadlessApplication app;
    TForm form(app, nullptr, "MainForm");
    auto &a = form.Create<TTracked>("A");
    auto &b = form.Create<TTracked>("B");
    b.Tag = 7;
    auto &c = a.Create<TTracked>("C");
    ASSERT_EQ(form.Components().size(), 2u);
    EXPECT_EQ(form.Components()[0], &a);
    EXPECT_EQ(form.FindComponent("B"), &b);
    EXPECT_EQ(form.FindComponent("C"), nullptr); // owned by A, not the form
    EXPECT_EQ(form.FindByTag(7), &b);
    EXPECT_EQ(c.Owner(), &a);
    // An owner's own destructor runs first, then it destroys what it owns,
    // and it leaves its own owner's list.
    delete &a;
    EXPECT_EQ(form.Components().size(), 1u);
    ASSERT_EQ(g_destroyed, (std::vector<std::string>{"A", "C"}));
    form.Create<TTracked>("D");
  }
  EXPECT_EQ(g_destroyed, (std::vector<std::string>{"A", "C", "D", "B"})); // newest first
}

TEST(ComponentModel, ClicksFollowKindAndRefuseUnusableControls) {
  THeadlessApplication app;
  TForm form(app, nullptr, "F");
  auto &panel = form.Create<TPanel>("GroupPnl");
  auto &hiddenForm = form.Create<TCheckBox>("HiddenCBox");
  hiddenForm.SetParent(&form);
  EXPECT_FALSE(hiddenForm.Click()); // forms start hidden: nothing to click yet
  form.Show();
  panel.SetParent(&form);
  auto &first = form.Create<TRadioButton>("FirstRBtn");
  auto &second = form.Create<TRadioButton>("SecondRBtn");
  auto &elsewhere = form.Create<TRadioButton>("OtherRBtn");
  first.SetParent(&panel);
  second.SetParent(&panel);
  elsewhere.SetParent(&form);
  elsewhere.SetChecked(true);
  EXPECT_TRUE(first.Click());
  EXPECT_TRUE(second.Click());
  EXPECT_FALSE(first.Checked());
  EXPECT_TRUE(second.Checked());
  EXPECT_TRUE(elsewhere.Checked()); // another parent is another group

  auto &box = form.Create<TCheckBox>("SoundCBox");
  box.SetParent(&panel);
  int clicks = 0;
  box.OnClick = [&](TComponent &) { ++clicks; };
  box.Click();
  EXPECT_TRUE(box.Checked());
  panel.SetEnabled(false); // a disabled parent disables its children
  EXPECT_FALSE(box.Click());
  panel.SetEnabled(true);
  box.SetVisible(false);
  EXPECT_FALSE(box.Click());
  EXPECT_TRUE(box.Checked());
  EXPECT_EQ(clicks, 1);
}

TEST(ComponentModel, ListsEditsPagesAndPeerNotifications) {
  THeadlessApplication app;
  TForm form(app, nullptr, "F");
  auto &list = form.Create<TComboBox>("LanguageCBox");
  std::vector<TProperty> changes;
  list.AttachPeer(std::make_unique<TRecordingPeer>(changes));
  list.Items.Assign({"English", "Deutsch", "Nederlands"});
  int changed = 0;
  list.OnChange = [&](TComponent &) { ++changed; };
  EXPECT_TRUE(list.Select(2));
  EXPECT_TRUE(list.Select(2)); // same choice: no change event
  EXPECT_FALSE(list.Select(3));
  EXPECT_EQ(list.ItemIndex(), 2);
  EXPECT_EQ(changed, 1);
  list.Items.Assign({"One"}); // the selection cannot outlive its item
  EXPECT_EQ(list.ItemIndex(), -1);
  EXPECT_EQ(changes, (std::vector<TProperty>{TProperty::Items, TProperty::ItemIndex,
                                             TProperty::Items}));

  auto &edit = form.Create<TEdit>("NameEdit");
  edit.MaxLength = 5;
  EXPECT_TRUE(edit.Type("abc"));
  EXPECT_TRUE(edit.Type("defg"));
  EXPECT_EQ(edit.Text(), "abcde");
  edit.ReadOnly = true;
  EXPECT_FALSE(edit.Type("x"));

  auto &pages = form.Create<TPageControl>("PageCtrl");
  TPage &info = pages.AddPage("InfoPage", "Info");
  TPage &status = pages.AddPage("StatusPage", "Status");
  EXPECT_EQ(pages.ActivePageIndex(), 0);
  EXPECT_TRUE(info.Visible());
  EXPECT_FALSE(status.Visible());
  pages.SetActivePageIndex(1);
  pages.SetActivePageIndex(5);
  EXPECT_EQ(pages.ActivePageIndex(), 1);
  EXPECT_FALSE(info.Visible());
  EXPECT_TRUE(status.Visible());
  EXPECT_EQ(form.FindComponent("StatusPage"), &status); // pages belong to the form
}

TEST(ComponentModel, TimersRunInVirtualTime) {
  THeadlessApplication app;
  TForm form(app, nullptr, "F");
  std::vector<std::string> fired;
  auto &second = form.Create<TTimer>("SecondTimer");
  second.OnTimer = [&](TComponent &) { fired.push_back("1000@" + std::to_string(app.TickCount())); };
  auto &fast = form.Create<TTimer>("FastTimer");
  fast.SetInterval(400);
  fast.OnTimer = [&](TComponent &) { fired.push_back("400@" + std::to_string(app.TickCount())); };
  app.AdvanceTime(2000);
  EXPECT_EQ(fired, (std::vector<std::string>{"400@400", "400@800", "1000@1000", "400@1200",
                                             "400@1600", "1000@2000", "400@2000"}));
  fired.clear();
  fast.SetEnabled(false);
  delete &second;
  app.AdvanceTime(5000);
  EXPECT_TRUE(fired.empty());
  // Re-enabling starts a fresh interval from now.
  fast.SetEnabled(true);
  app.AdvanceTime(399);
  EXPECT_TRUE(fired.empty());
  app.AdvanceTime(1);
  EXPECT_EQ(fired.size(), 1u);
}

TEST(ComponentModel, ModalRunsCloseRequestsAndDialogs) {
  THeadlessApplication app;
  TForm dialog(app, nullptr, "MsgDlg");
  auto &ok = dialog.Create<TButton>("OkBtn");
  ok.SetParent(&dialog);
  ok.ModalResult = mrOk;
  auto &timer = dialog.Create<TTimer>("CountDownTimer");
  timer.SetInterval(3000);
  timer.OnTimer = [&](TComponent &) { ok.Click(); };
  EXPECT_EQ(dialog.ShowModal(), mrOk);
  EXPECT_EQ(app.TickCount(), 3000u);
  EXPECT_FALSE(dialog.Visible());

  timer.SetEnabled(false);
  EXPECT_EQ(dialog.ShowModal(), mrCancel); // nothing could end it: no hang

  bool allow = false;
  dialog.OnCloseQuery = [&](TComponent &, bool &canClose) { canClose = allow; };
  dialog.Show();
  app.PostCloseRequest(dialog);
  app.ProcessMessages();
  EXPECT_TRUE(dialog.Visible());
  allow = true;
  app.PostCloseRequest(dialog);
  app.ProcessMessages();
  EXPECT_FALSE(dialog.Visible());

  auto *gone = new TForm(app, nullptr, "Gone");
  gone->Show();
  app.PostCloseRequest(*gone);
  delete gone;
  app.ProcessMessages(); // a request for a destroyed form is dropped

  auto &open = dialog.Create<TOpenDialog>("SoundOpenDialog");
  app.FileDialogAnswers = {"C:\\Av\\bell.wav", ""};
  EXPECT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName, "C:\\Av\\bell.wav");
  EXPECT_FALSE(open.Execute());
  EXPECT_FALSE(open.Execute());
}

TEST(ComponentModel, MainFormClosedFromOutsideEndsTheModalFormFirst) {
  THeadlessApplication app;
  TForm main(app, nullptr, "MainForm"), question(app, nullptr, "QuestionForm");
  app.MainForm = &main;
  main.Show();
  bool modalRanAtCloseQuery = true;
  main.OnCloseQuery = [&](TComponent &, bool &) { modalRanAtCloseQuery = app.ModalFormRunning(); };
  TTimer request(&main, "RequestTimer");
  request.SetInterval(1000);
  request.OnTimer = [&](TComponent &) {
    request.SetEnabled(false);
    app.PostCloseRequest(main); // another program's WM_CLOSE
  };
  EXPECT_EQ(question.ShowModal(), mrCancel);
  EXPECT_TRUE(main.Visible()); // the code that asked goes on under an open window
  app.ProcessMessages();
  EXPECT_FALSE(main.Visible());
  EXPECT_TRUE(app.Terminated);
  EXPECT_FALSE(modalRanAtCloseQuery);
}

TEST(ComponentModel, MenusAndHints) {
  THeadlessApplication app;
  TForm form(app, nullptr, "F");
  auto &menu = form.Create<TPopupMenu>("MessagesMenu");
  TMenuItem &file = menu.Add("FileItem", "File", 10);
  TMenuItem &quit = file.Add("QuitItem", "Quit", 11);
  int quits = 0;
  quit.OnClick = [&](TComponent &) { ++quits; };
  EXPECT_TRUE(quit.Click());
  quit.Enabled = false;
  EXPECT_FALSE(quit.Click());
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(quit.Owner(), &form);
  ASSERT_EQ(file.Items().size(), 1u);

  auto &label = form.Create<TLabel>("CaptionLbl");
  label.SetHint("Setup|Shows the personal setup");
  EXPECT_EQ(label.ShortHint(), "Setup");
  EXPECT_EQ(label.LongHint(), "Shows the personal setup");
  label.SetHint("Plain");
  EXPECT_EQ(label.LongHint(), "Plain");
  EXPECT_TRUE(label.Windowless());
}

TEST(ComponentModel, ScrollBoxKeepsItsPositionWithinTheContent) {
  std::vector<TProperty> log; // outlives the box's peer, which writes to it until the end
  THeadlessApplication app;
  TForm form(app, nullptr, "F");
  auto &box = form.Create<TScrollBox>("Box");
  box.SetParent(&form);
  box.SetBounds(0, 0, 200, 100);
  auto &text = form.Create<TPanel>("Text");
  text.SetParent(&box);
  text.SetBounds(0, 0, 180, 150);
  auto &more = form.Create<TLabel>("More");
  more.SetParent(&box);
  more.SetBounds(0, 150, 180, 100);
  auto &hidden = form.Create<TLabel>("Hidden");
  hidden.SetParent(&box);
  hidden.SetBounds(0, 900, 10, 10);
  hidden.SetVisible(false);
  box.AttachPeer(std::make_unique<TRecordingPeer>(log));
  EXPECT_EQ(box.VertRange(), 250); // hidden children take no room
  EXPECT_EQ(box.VertScrollMax(), 150);

  // The scroll bar's arrows, beside the thumb, the thumb and the ends, always within 0..150.
  box.Scroll(TScrollRequest::srLineDown);
  EXPECT_EQ(box.VertScrollPos(), 8);
  EXPECT_EQ(more.Bounds().Top, 142); // the children move up with the content
  EXPECT_EQ(log, std::vector<TProperty>{TProperty::Position});
  box.Smooth = true; // a tenth of a page: 90 / 10
  box.Scroll(TScrollRequest::srLineUp);
  box.Scroll(TScrollRequest::srLineUp);
  EXPECT_EQ(box.VertScrollPos(), 0);
  box.Scroll(TScrollRequest::srPageDown);
  box.Scroll(TScrollRequest::srPageDown);
  EXPECT_EQ(box.VertScrollPos(), 150);
  box.Scroll(TScrollRequest::srLineDown);
  box.Scroll(TScrollRequest::srThumb, 400);
  EXPECT_EQ(box.VertScrollPos(), 150);
  EXPECT_EQ(text.Bounds().Top, -150);
  EXPECT_EQ(box.VertRange(), 250);
  box.Scroll(TScrollRequest::srThumb, 60);
  box.Scroll(TScrollRequest::srPageUp);
  EXPECT_EQ(box.VertScrollPos(), 0);
  box.Scroll(TScrollRequest::srBottom);
  // Content that shrinks pulls the position back; the backend hears of the new range.
  log.clear();
  more.SetBounds(0, -150, 180, 10); // to the content's top
  EXPECT_EQ(box.VertScrollPos(), 50);
  EXPECT_EQ(text.Bounds().Top, -50);
  EXPECT_EQ(box.VertRange(), 150);
  EXPECT_FALSE(log.empty());
  text.SetVisible(false);
  EXPECT_EQ(box.VertScrollPos(), 0);
  EXPECT_EQ(more.Bounds().Top, 0);

  // The wheel goes to the focused control, then to its parents until one takes it;
  // parts of a notch wait for the rest.
  text.SetVisible(true);
  std::vector<std::string> heard;
  box.OnMouseWheelDown = [&](TComponent &, bool &) { box.ScrollBy(box.LineIncrement()); heard.push_back("box down"); };
  box.OnMouseWheelUp = [&](TComponent &, bool &handled) { heard.push_back("box up"); handled = true; };
  form.OnMouseWheelDown = [&](TComponent &, bool &) { heard.push_back("form down"); };
  form.OnMouseWheelUp = [&](TComponent &, bool &) { heard.push_back("form up"); };
  more.SetFocus();
  EXPECT_TRUE(more.Focused());
  EXPECT_FALSE(box.Focused());
  EXPECT_FALSE(RouteMouseWheel(more, -kWheelNotch / 2));
  EXPECT_TRUE(heard.empty());
  EXPECT_FALSE(RouteMouseWheel(more, -kWheelNotch / 2));
  EXPECT_TRUE(RouteMouseWheel(more, 2 * kWheelNotch));
  EXPECT_EQ(heard, (std::vector<std::string>{"box down", "form down", "box up", "box up"}));
  EXPECT_EQ(box.VertScrollPos(), 9);
  // The focus leaves with a control that leaves the window.
  more.SetParent(nullptr);
  EXPECT_EQ(form.HeadlessFocus(), nullptr);
  EXPECT_FALSE(more.Focused());
}

} // namespace
