// A form whose description is compiled into a static library: the library's users must
// find it registered although nothing refers to the registration.
#include "platform/Form.h"

TForm* NewLibraryForm(TComponent* owner) { return new TForm(owner, "TLibraryForm", {}); }
