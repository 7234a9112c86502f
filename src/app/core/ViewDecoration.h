#pragma once

#include <functional>

namespace bv {

// What a window hands its controller as the view: the window itself, or a decorator around it that
// the composition root chose (the transcript of an unattended run). Empty means the window itself.
template <class View> using ViewDecoration = std::function<View&(View&)>;

template <class View> View& decoratedView(const ViewDecoration<View>& decoration, View& window)
{
    return decoration ? decoration(window) : window;
}

} // namespace bv
