#pragma once

class TOrbTranslate;

namespace orb {

// Drops the activation and tooltip hooks if they belong to this instance.
void removeHooksOf(const TOrbTranslate* instance);

} // namespace orb
