#pragma once

// Told when a button is clicked, with the button's control identifier. The listening object
// implements it as an extra base and hands the button a plain, non-owning pointer.
class ButtonListener {
public:
    virtual ~ButtonListener() = default;
    virtual void OnButtonClicked(int controlId) = 0;
};
