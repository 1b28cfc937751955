// Form descriptions: a text format of our own that lists a form's components and their
// published settings, read when a form is created and written from a component tree.
//
//   object Form1: TForm1
//     Caption = 'MAPGrid Component Test'
//     Font.Height = -11
//     object rpmEdit: TCSpinEdit
//       Anchors = [akBottom]
//       Value = 3000
//       OnChange = rpmEditChange
//     end
//   end
//
// One item a line. Values are integers, strings in single quotes ('' for a quote) joined
// with #NN character codes ('a'#0'b'), identifiers (True, clBtnFace, handler names) and sets
// ([akLeft, akTop]). Nested objects inside a windowed control are its children.
//
// Descriptions are compiled into the program as Qt resources: mapgrid_embed_form() in CMake
// (cmake/EmbedForm.cmake) compiles a file in under a form class name.
#pragma once

#include <any>
#include <map>
#include <string>
#include <string_view>

class TComponent;

// Handler names of a form, each with the typed event closure bound to the form
// (TNotifyEvent, TKeyPressEvent, TKeyEvent, TMouseEvent ...).
using THandlerTable = std::map<std::string, std::any, std::less<>>;

// Reads a description into root: root takes the settings of the outer object, which must
// be of class rootClass (ignoring case); every nested object is created by its registered
// class, owned by root, parented to the windowed control it is nested in, named, and given
// its settings in order through the property tables; events are bound from handlers by
// name. Call it while root is loading, so that the settings raise no events. Any error
// raises Exception with a message naming the line.
void ReadFormDescription(TComponent& root, std::string_view rootClass, std::string_view text,
                         const THandlerTable& handlers);

// The description of root and of the components it owns, controls nested in their parents:
// every stored setting that differs from its default. Event bindings are not written: an
// event holds a closure, not the name of its handler.
std::string WriteFormDescription(TComponent& root, std::string_view rootClass);

// The form description resources, by form class name (ignoring case).
void RegisterFormResource(std::string className, std::string text);
// The text registered for a class, else the one compiled in for it, or null.
const std::string* FindFormResource(std::string_view className);
