#pragma once

class QAbstractButton;
class QString;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QScrollBar;
class QWidget;

namespace tavelon {

class CheckBox;
class ColorSwatch;
class CommandButton;
class Control;
class Label;
class ListControl;
class Picture;
class ScrollBar;
class TextBox;

// Ties a widget to its control model, both ways. The widget follows the model's view signals with
// its own signals blocked, so nothing comes back; only the user's actions reach the model, through
// the same calls the logic uses (click(), setText(), setListIndex(), setValue()). The widget is the
// context of every connection: the model must outlive it.

// How a button shows its caption: as text, or as the media symbol a Webdings character stands for.
enum class CaptionStyle { Text, Symbol };

// Tooltip and enabled state (every binding below includes this).
void bindControl(Control &model, QWidget *widget);
void bindLabel(Label &model, QLabel *widget);
void bindFrame(Label &model, QGroupBox *widget);
void bindCommandButton(CommandButton &model, QAbstractButton *widget, CaptionStyle style);
// Check boxes and push-like toggles (the widget must be checkable). After a user's click the widget
// shows the model's value, which the model's handler may already have reset.
void bindCheckBox(CheckBox &model, QAbstractButton *widget, CaptionStyle style);
// The widget's maximum length is the model's, or the length of a longer text set from code, which
// is then shown whole.
void bindTextBox(TextBox &model, QLineEdit *widget);
// A text that is no item of the list shows as the box's text with no item selected.
void bindComboBox(ListControl &model, QComboBox *widget);
void bindListBox(ListControl &model, QListWidget *widget);
void bindScrollBar(ScrollBar &model, QScrollBar *widget);
void bindSwatch(Picture &model, ColorSwatch *widget);

// Shows caption on a button in the given style: a symbol icon when the style is Symbol and the
// caption is one character with a symbol, the caption as text otherwise.
void showButtonCaption(QAbstractButton *widget, const QString &caption, CaptionStyle style);

} // namespace tavelon
