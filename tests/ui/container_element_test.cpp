#include "ui/container_element.h"
#include "ui/element_chain.h"
#include "ui/transform.h"

#include "support/win/test_elements.h"
#include "support/win/test_graphics.h"

#include <d2d1helper.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

using namespace TestSupport;
using Ui::HitResult;

namespace {

template <typename T, typename... Args>
T* add(Ui::ContainerElement& parent, Args&&... args)
{
    return parent.insert(std::make_unique<T>(std::forward<Args>(args)...), parent.last_child());
}

TestLeaf* add_fixed(Ui::ContainerElement& parent, HitResult hit, bool interactive, const char* name)
{
    TestLeaf* leaf = add<TestLeaf>(parent, 0.0f, 0.0f, 10.0f, 10.0f, name);
    leaf->fixed_hit = hit;
    leaf->interactive = interactive;
    return leaf;
}

std::vector<Ui::Element*> children_of(const Ui::ContainerElement& parent)
{
    std::vector<Ui::Element*> children;
    for (std::size_t i = 0; i < parent.child_count(); ++i)
        children.push_back(parent.child(i));
    return children;
}

} // namespace

TEST(ElementTest, SetBoundsClampsTheSizeAndAsksForARepaint)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float width, height, expected_width, expected_height;
    };
    const Case cases[] = {{30, 40, 30, 40}, {-5, 40, 0, 40}, {30, -1, 30, 0}, {nan, nan, 0, 0}};
    TestRoot root;
    auto* leaf = add<TestLeaf>(root, 0.0f, 0.0f, 1.0f, 1.0f);
    for (const Case& c : cases) {
        root.invalidations = 0;
        leaf->set_bounds(7, 9, c.width, c.height);
        EXPECT_EQ(leaf->width(), c.expected_width);
        EXPECT_EQ(leaf->height(), c.expected_height);
        EXPECT_EQ(leaf->transform().dx, 7.0f);
        EXPECT_EQ(leaf->transform().dy, 9.0f);
        EXPECT_EQ(root.invalidations, 1);
    }
}

TEST(ContainerHitTest, EmptyContainerIsNeverHit)
{
    Ui::ContainerElement empty;
    EXPECT_EQ(empty.hit_test(1, 1), HitResult::no);
    EXPECT_EQ(empty.element_at(1, 1), nullptr);
    EXPECT_EQ(empty.cursor_at(1, 1), Ui::CursorKind::arrow);
}

TEST(ContainerHitTest, CombinesChildrenInsideItsOwnRectangleOnly)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        std::vector<HitResult> children;
        float x, y;
        HitResult expected;
    };
    const Case cases[] = {
        {{HitResult::yes}, 5, 5, HitResult::yes},
        {{HitResult::no, HitResult::maybe}, 5, 5, HitResult::maybe},
        {{HitResult::no, HitResult::no}, 5, 5, HitResult::no}, // transparent between children
        {{HitResult::maybe, HitResult::yes}, 5, 5, HitResult::maybe}, // the first answer other than no decides
        {{HitResult::yes}, -0.5f, 5, HitResult::no},
        {{HitResult::yes}, 64, 5, HitResult::no},
        {{HitResult::yes}, 5, 64, HitResult::no},
        {{HitResult::yes}, nan, 5, HitResult::no},
        {{HitResult::yes}, 5, nan, HitResult::no},
    };
    for (const Case& c : cases) {
        Ui::ContainerElement container; // 64 x 64
        for (HitResult hit : c.children)
            add_fixed(container, hit, true, "child");
        EXPECT_EQ(container.hit_test(c.x, c.y), c.expected) << c.x << "," << c.y;
    }
}

TEST(ContainerHitTest, ElementAtFollowsTheThreeAnswers)
{
    struct Case {
        const char* what;
        HitResult first_hit;
        bool first_interactive;
        const char* expected; // name, or null
    };
    const Case cases[] = {
        {"yes and interactive", HitResult::yes, true, "first"},
        {"yes but not interactive covers what is behind", HitResult::yes, false, nullptr},
        {"maybe with something inside", HitResult::maybe, true, "first"},
        {"maybe with nothing inside goes on", HitResult::maybe, false, "second"},
        {"no goes on", HitResult::no, true, "second"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ui::ContainerElement container;
        add_fixed(container, c.first_hit, c.first_interactive, "first");
        add_fixed(container, HitResult::yes, true, "second");
        auto* found = static_cast<TestLeaf*>(container.element_at(5, 5));
        if (c.expected) {
            ASSERT_NE(found, nullptr);
            EXPECT_EQ(found->name, c.expected);
        } else {
            EXPECT_EQ(found, nullptr);
        }
    }
}

TEST(ContainerHitTest, ChildrenSeeThePointInTheirOwnCoordinates)
{
    TestRoot root;
    auto* group = add<TestGroup>(root, 100.0f, 50.0f, 200.0f, 200.0f);
    auto* leaf = add<TestLeaf>(*group, 0.0f, 0.0f, 50.0f, 50.0f);
    // Scaled by 2 and moved: local (x, y) -> parent (2x + 10, 2y + 20).
    leaf->set_transform(D2D1::Matrix3x2F::Scale(2, 2) * D2D1::Matrix3x2F::Translation(10, 20));
    EXPECT_EQ(root.element_at(100 + 10 + 30, 50 + 20 + 8), leaf);
    EXPECT_FLOAT_EQ(leaf->last_point.x, 15);
    EXPECT_FLOAT_EQ(leaf->last_point.y, 4);

    // A quarter turn: local (x, y) -> parent (-y, x).
    Ui::Point p = Ui::to_local(D2D1::Matrix3x2F::Rotation(90), -3, 7);
    EXPECT_NEAR(p.x, 7, 1e-5);
    EXPECT_NEAR(p.y, 3, 1e-5);
}

TEST(ContainerHitTest, OverlappingChildrenTheFrontOneReceivesTheMouse)
{
    Ui::ContainerElement container;
    auto* back = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 20.0f, 20.0f, "back"), nullptr);
    auto* front = container.insert(std::make_unique<TestLeaf>(5.0f, 5.0f, 20.0f, 20.0f, "front"), nullptr);
    EXPECT_EQ(container.element_at(10, 10), front);
    EXPECT_EQ(container.element_at(2, 2), back);
}

TEST(ContainerHitTest, CursorComesFromTheFirstChildThatIsHit)
{
    Ui::ContainerElement container;
    TestLeaf* maybe = add_fixed(container, HitResult::maybe, true, "maybe");
    maybe->cursor = Ui::CursorKind::arrow;
    TestLeaf* yes = add_fixed(container, HitResult::yes, true, "yes");
    yes->cursor = Ui::CursorKind::hand;
    EXPECT_EQ(container.cursor_at(5, 5), Ui::CursorKind::hand);
    yes->fixed_hit = HitResult::no;
    EXPECT_EQ(container.cursor_at(5, 5), Ui::CursorKind::arrow);
}

TEST(ContainerHitTest, BeginDragAsksOnlyTheFirstChildThatIsHit)
{
    DragLog log;
    auto dragging = [&](TestLeaf& leaf, float, float, Ui::MouseButton) {
        return std::make_unique<RecordingTracker>(&leaf, &log);
    };
    struct Case {
        const char* what;
        HitResult first_hit;
        bool first_drags;
        const char* expected;
    };
    const Case cases[] = {
        {"first drags", HitResult::yes, true, "first"},
        {"first is hit but does not drag: nobody drags", HitResult::yes, false, nullptr},
        {"maybe is skipped", HitResult::maybe, true, "second"},
        {"no is skipped", HitResult::no, true, "second"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ui::ContainerElement container;
        TestLeaf* first = add_fixed(container, c.first_hit, true, "first");
        if (c.first_drags)
            first->make_drag = dragging;
        add_fixed(container, HitResult::yes, true, "second")->make_drag = dragging;
        std::unique_ptr<Ui::DragTracker> tracker = container.begin_drag(5, 5, Ui::MouseButton::right);
        if (c.expected) {
            ASSERT_NE(tracker, nullptr);
            EXPECT_EQ(static_cast<TestLeaf*>(tracker->element())->name, c.expected);
        } else {
            EXPECT_EQ(tracker, nullptr);
        }
    }
}

TEST(ContainerTreeTest, InsertPlacesChildrenAsAsked)
{
    Ui::ContainerElement container;
    Ui::ContainerElement other;
    auto* a = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 1.0f, 1.0f, "a"), nullptr);
    auto* b = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 1.0f, 1.0f, "b"), nullptr); // front
    auto* c = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 1.0f, 1.0f, "c"), b);       // after b
    auto* d = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 1.0f, 1.0f, "d"), &other);  // not a child: end
    EXPECT_EQ(children_of(container), (std::vector<Ui::Element*>{b, c, a, d}));
    EXPECT_EQ(a->parent(), &container);

    // Taking a child out gives its ownership back; it can go elsewhere.
    std::unique_ptr<Ui::Element> taken = container.remove_child(c);
    ASSERT_EQ(taken.get(), c);
    EXPECT_EQ(c->parent(), nullptr);
    other.insert_child(std::move(taken), nullptr);
    EXPECT_EQ(c->parent(), &other);
    EXPECT_EQ(children_of(container), (std::vector<Ui::Element*>{b, a, d}));
    EXPECT_EQ(container.remove_child(c), nullptr);
}

TEST(ContainerTreeTest, InsertRefusesCycles)
{
    auto outer = std::make_unique<Ui::ContainerElement>();
    auto* inner = outer->insert(std::make_unique<Ui::ContainerElement>(), nullptr);
    std::unique_ptr<Ui::Element> as_element(std::move(outer));
    EXPECT_THROW(inner->insert_child(std::move(as_element), nullptr), std::invalid_argument);
    ASSERT_NE(as_element, nullptr); // the caller still owns the tree, intact
    EXPECT_EQ(inner->child_count(), 0u);
    EXPECT_EQ(inner->parent(), as_element.get());
    std::unique_ptr<Ui::Element> itself(inner);
    EXPECT_THROW(inner->insert_child(std::move(itself), nullptr), std::invalid_argument);
    itself.release();
    EXPECT_THROW(Ui::ContainerElement().insert_child(nullptr, nullptr), std::invalid_argument);
}

TEST(ContainerTreeTest, DestroyingAChildTakesItOutOfItsParent)
{
    Ui::ContainerElement container;
    bool destroyed = false;
    auto* a = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 1.0f, 1.0f, "a"), nullptr);
    auto* b = container.insert(std::make_unique<TestLeaf>(0.0f, 0.0f, 1.0f, 1.0f, "b"), a);
    static_cast<TestLeaf*>(a)->destroyed = &destroyed;
    delete a;
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(children_of(container), std::vector<Ui::Element*>{b});
    container.clear_children();
    EXPECT_EQ(container.child_count(), 0u);
}

TEST(ElementChainTest, MarksTheElementAndItsAncestors)
{
    TestRoot root;
    auto* group = add<TestGroup>(root, 0.0f, 0.0f, 100.0f, 100.0f);
    auto* leaf = add<TestLeaf>(*group, 0.0f, 0.0f, 10.0f, 10.0f);
    auto* other = add<TestLeaf>(root, 0.0f, 0.0f, 10.0f, 10.0f);
    EXPECT_EQ(root.hover_state(), Ui::chain_self);

    root.invalidations = 0;
    leaf->set_hovered(leaf); // climbs to the root
    EXPECT_EQ(root.hover.current(), leaf);
    EXPECT_EQ(leaf->hover_state(), Ui::chain_self);
    EXPECT_EQ(group->hover_state(), Ui::chain_inside);
    EXPECT_EQ(root.hover_state(), Ui::chain_inside);
    EXPECT_EQ(root.invalidations, 1);

    leaf->set_hovered(leaf);
    EXPECT_EQ(root.invalidations, 1); // no change, no repaint

    other->set_pressed(other);
    EXPECT_EQ(other->press_state(), Ui::chain_self);
    EXPECT_EQ(leaf->press_state(), Ui::chain_none);
    other->set_hovered(other);
    EXPECT_EQ(leaf->hover_state(), Ui::chain_none);
    EXPECT_EQ(group->hover_state(), Ui::chain_none);
    EXPECT_EQ(other->hover_state(), Ui::chain_self);
}

TEST(ElementChainTest, DestroyingTheHoveredElementMovesHoverAndPressToTheParent)
{
    TestRoot root;
    auto* outer = add<TestGroup>(root, 0.0f, 0.0f, 100.0f, 100.0f);
    auto* inner = add<TestGroup>(*outer, 0.0f, 0.0f, 100.0f, 100.0f);
    auto* leaf = add<TestLeaf>(*inner, 0.0f, 0.0f, 10.0f, 10.0f);
    auto* bystander = add<TestLeaf>(*outer, 0.0f, 0.0f, 10.0f, 10.0f);

    root.set_hovered(leaf);
    root.set_pressed(leaf);
    delete leaf;
    EXPECT_EQ(root.hover.current(), inner);
    EXPECT_EQ(root.press.current(), inner);
    EXPECT_EQ(inner->hover_state(), Ui::chain_self);
    EXPECT_EQ(outer->hover_state(), Ui::chain_inside);

    // A container that holds the hovered element passes it to its own parent.
    root.set_hovered(bystander);
    root.set_pressed(inner);
    delete inner;
    EXPECT_EQ(root.hover.current(), bystander);
    EXPECT_EQ(root.press.current(), outer);
}

TEST(ElementChainTest, RemovingTheHoveredElementLeavesNoPointerToIt)
{
    TestRoot root;
    auto* group = add<TestGroup>(root, 0.0f, 0.0f, 100.0f, 100.0f);
    auto* leaf = add<TestLeaf>(*group, 0.0f, 0.0f, 10.0f, 10.0f);
    root.set_hovered(leaf);
    std::unique_ptr<Ui::Element> taken = group->remove_child(leaf);
    EXPECT_EQ(root.hover.current(), group);
    EXPECT_EQ(leaf->hover_state(), Ui::chain_none);
    EXPECT_EQ(root.removed, std::vector<Ui::Element*>{leaf});
    taken.reset(); // destroying it later, without a parent, touches nothing
    EXPECT_EQ(root.hover.current(), group);
}

TEST(ElementScrollTest, ScrollClimbsToTheFirstElementThatScrolls)
{
    TestRoot root;
    auto* scrolling = add<TestGroup>(root, 0.0f, 0.0f, 100.0f, 100.0f);
    scrolling->scrolls = true;
    auto* middle = add<TestGroup>(*scrolling, 0.0f, 0.0f, 100.0f, 100.0f);
    auto* leaf = add<TestLeaf>(*middle, 0.0f, 0.0f, 10.0f, 10.0f);
    leaf->scroll_by(0, -60);
    ASSERT_EQ(scrolling->scrolled.size(), 1u);
    EXPECT_EQ(scrolling->scrolled[0].y, -60);

    // Without a scrolling ancestor the request dies at the root.
    auto* lonely = add<TestLeaf>(root, 0.0f, 0.0f, 10.0f, 10.0f);
    lonely->scroll_by(5, 5);
    EXPECT_EQ(scrolling->scrolled.size(), 1u);
    EXPECT_EQ(root.invalidations, 0);
    Ui::Element detached;
    detached.scroll_by(1, 1);
}

TEST(ElementDrawTest, ChildrenAreDrawnBackToFrontWithComposedTransforms)
{
    Gfx::GraphicsContext& graphics = test_graphics();
    Microsoft::WRL::ComPtr<IWICBitmap> bitmap;
    ASSERT_HRESULT_SUCCEEDED(graphics.wic_factory->CreateBitmap(64, 64, GUID_WICPixelFormat32bppPBGRA,
                                                                WICBitmapCacheOnLoad, &bitmap));
    Microsoft::WRL::ComPtr<ID2D1RenderTarget> target;
    ASSERT_HRESULT_SUCCEEDED(
        graphics.d2d_factory->CreateWicBitmapRenderTarget(bitmap.Get(), D2D1::RenderTargetProperties(), &target));

    std::vector<std::string> log;
    Ui::ContainerElement root;
    auto* group = add<TestGroup>(root, 10.0f, 20.0f, 100.0f, 100.0f);
    auto* front = add<TestLeaf>(*group, 1.0f, 2.0f, 5.0f, 5.0f, "front");
    auto* back = add<TestLeaf>(*group, 3.0f, 4.0f, 5.0f, 5.0f, "back");
    auto* last = add<TestLeaf>(root, 0.0f, 0.0f, 5.0f, 5.0f, "root's back");
    for (TestLeaf* leaf : {front, back, last})
        leaf->draw_log = &log;
    group->set_transform(D2D1::Matrix3x2F::Scale(2, 2) * D2D1::Matrix3x2F::Translation(10, 20));

    const D2D1_MATRIX_3X2_F outside = D2D1::Matrix3x2F::Translation(100, 0);
    target->BeginDraw();
    target->SetTransform(outside);
    root.draw(target.Get());
    D2D1_MATRIX_3X2_F restored;
    target->GetTransform(&restored);
    ASSERT_HRESULT_SUCCEEDED(target->EndDraw());

    EXPECT_EQ(log, (std::vector<std::string>{"root's back", "back", "front"}));
    // front: (1, 2) in the group, scaled by 2, moved by (10, 20), then by (100, 0).
    EXPECT_FLOAT_EQ(front->drawn_transform.m11, 2);
    EXPECT_FLOAT_EQ(front->drawn_transform.dx, 2 * 1 + 10 + 100);
    EXPECT_FLOAT_EQ(front->drawn_transform.dy, 2 * 2 + 20);
    EXPECT_FLOAT_EQ(last->drawn_transform.dx, 100);
    EXPECT_FLOAT_EQ(restored.dx, 100);
}
