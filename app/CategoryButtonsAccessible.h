#pragma once

// What a screen reader reads of the command bar: each category a grouping, collapsed or
// expanded, holding its commands as push buttons that can be pressed.

class CategoryButtons;

// Lets Qt make the bar's accessible object when a client first asks for it.
void InstallCategoryButtonsAccessible();
// Tells a client that a category was collapsed or expanded.
void NotifyCollapsed(CategoryButtons* bar, int category);
