#pragma once

namespace solen {

// Where a render view stands in its life on screen.
enum class RenderViewStatus { initiated, ready, loading, resized, expanded, hidden, visible };

}  // namespace solen
