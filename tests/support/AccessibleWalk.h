#pragma once
// Walks a window tree as assistive technology would see it.
#include "ui/Accessibility.h"

#include <set>
#include <string>
#include <vector>

// The elements of the shown controls under root that have no name (a form's
// client area aside), as "Parent.Control" (a link: "Parent.Control#link"),
// and those that are no field (which its label names, a heading too) named
// as the container they stand in, which took its heading's name
// ("Parent.Control misnamed"), and buttons, boxes and links that read the
// same name as one beside them ("Parent.Control shares its name"); with
// every element counted in count.
inline void CollectUnnamed(const TWinControl &root, std::vector<std::string> &unnamed, int &count,
                           const std::string &inside = {}) {
  std::set<std::string> chosenByName;
  for (const TAccessibleElement &e : AccessibleChildren(root)) {
    ++count;
    using R = TAccessibleRole;
    if ((e.Role == R::PushButton || e.Role == R::CheckBox || e.Role == R::RadioButton ||
         e.Role == R::Link) &&
        !e.Name.empty() && !chosenByName.insert(e.Name).second)
      unnamed.push_back(root.Name() + "." + e.Control->Name() + " shares its name");
    const bool container = e.Role == R::Pane || e.Role == R::PropertyPage || e.Role == R::Client;
    const bool field = e.Role == R::Text || e.Role == R::ComboBox || e.Role == R::List ||
                       e.Role == R::SpinBox || e.Role == R::Slider || e.Role == R::Outline;
    const std::string where = root.Name() + "." + e.Control->Name() + (e.Link >= 0 ? "#link" : "");
    if (e.Name.empty() && e.Role != TAccessibleRole::Client)
      unnamed.push_back(where);
    else if (!e.Name.empty() && e.Name == inside && !container && !field &&
             e.Role != R::StaticText)
      unnamed.push_back(where + " misnamed");
    auto *inner = dynamic_cast<const TWinControl *>(e.Control);
    if (inner && e.Link < 0 && inner->Showing())
      CollectUnnamed(*inner, unnamed, count, e.Name);
  }
}
