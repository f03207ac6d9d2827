#pragma once

#include <memory>
#include <utility>

// Lets work that outlives a call (a hook kept by the model, a delayed task)
// find out whether the object that handed it out still exists, as holding
// that object weakly would. Main thread only.
class Lifetime {
public:
    // body, made to do nothing once this lifetime has ended.
    template <typename Body>
    auto guard(Body body) const
    {
        return [alive = std::weak_ptr<const void>(m_token), body = std::move(body)](auto&&... arguments) {
            if (!alive.expired())
                body(std::forward<decltype(arguments)>(arguments)...);
        };
    }

private:
    std::shared_ptr<const void> m_token = std::make_shared<char>();
};
