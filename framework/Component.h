// TComponent: ownership (an owner frees what it owns), names and free notification.
#pragma once

#include <functional>
#include <string>
#include <vector>

class TComponent;

enum TOperation { opInsert, opRemove };

// Events are plain function objects that receive the component that raised them.
using TNotifyEvent = std::function<void(TComponent* sender)>;

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    // Tells every component that asked for free notification, then frees the owned components,
    // newest first, and leaves the owner.
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    const std::vector<TComponent*>& Components() const { return components_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    // Owned component of that name (case-insensitive), or nullptr.
    TComponent* FindComponent(const std::string& name) const;

    // `other` gets Notification(this, opRemove) when this component is destroyed: the way a
    // control learns that an image list or a partner it refers to is gone.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    bool Destroying() const { return destroying_; }

protected:
    virtual void Notification(TComponent* component, TOperation operation) {}

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);

    TComponent* owner_ = nullptr;
    std::string name_;
    int tag_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};
