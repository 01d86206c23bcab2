// The link guard of the HTML viewer, beside the form bridge in the application's own script world.
// A link leads on only when the student clicked what the link shows (its text, its picture, its
// coloured box), never through a transparent area laid over the page; and a click that lands on a
// form control under a link is meant for that control, the read button above all.
(function () {
    'use strict';

    function getterOf(prototype, name) {
        return Object.getOwnPropertyDescriptor(prototype, name).get;
    }
    const call = Function.prototype.call.bind(Function.prototype.call);
    const addEventListener = EventTarget.prototype.addEventListener;
    const preventDefault = Event.prototype.preventDefault;
    const stopImmediatePropagation = Event.prototype.stopImmediatePropagation;
    const eventTarget = getterOf(Event.prototype, 'target');
    const clientX = getterOf(MouseEvent.prototype, 'clientX');
    const clientY = getterOf(MouseEvent.prototype, 'clientY');
    const detail = getterOf(UIEvent.prototype, 'detail');
    const closest = Element.prototype.closest;
    const matches = Element.prototype.matches;
    const contains = Node.prototype.contains;
    const elementRects = Element.prototype.getClientRects;
    const localName = getterOf(Element.prototype, 'localName');
    const parentElement = getterOf(Node.prototype, 'parentElement');
    const nodeData = getterOf(CharacterData.prototype, 'data');
    const elementsFromPoint = Document.prototype.elementsFromPoint;
    const createRange = Document.prototype.createRange;
    const createTreeWalker = Document.prototype.createTreeWalker;
    const selectNodeContents = Range.prototype.selectNodeContents;
    const rangeRects = Range.prototype.getClientRects;
    const nextNode = TreeWalker.prototype.nextNode;
    const rectListLength = getterOf(DOMRectList.prototype, 'length');
    const rectListItem = DOMRectList.prototype.item;
    const rectLeft = getterOf(DOMRectReadOnly.prototype, 'left');
    const rectRight = getterOf(DOMRectReadOnly.prototype, 'right');
    const rectTop = getterOf(DOMRectReadOnly.prototype, 'top');
    const rectBottom = getterOf(DOMRectReadOnly.prototype, 'bottom');
    const computedStyle = window.getComputedStyle;
    const propertyValue = CSSStyleDeclaration.prototype.getPropertyValue;
    const stringTrim = String.prototype.trim;
    const stringMatch = String.prototype.match;
    const htmlClick = HTMLElement.prototype.click;
    const htmlFocus = HTMLElement.prototype.focus;
    const inputType = getterOf(HTMLInputElement.prototype, 'type');
    const theDocument = document;
    const theWindow = window;

    // Below this opacity, or with no colour at all, a thing is not seen.
    const MinOpacity = 0.1;
    const PressedControls = ['submit', 'image', 'reset', 'button', 'checkbox', 'radio'];

    function style(element, name) {
        return call(propertyValue, call(computedStyle, theWindow, element), name);
    }

    function transparent(colour) {
        const parts = call(stringMatch, colour, /rgba\([^,]+,[^,]+,[^,]+,\s*([0-9.]+)\)/);
        return colour === 'transparent' || (parts !== null && Number(parts[1]) < MinOpacity);
    }

    function seen(element) {
        let opacity = 1;
        for (let e = element; e; e = call(parentElement, e)) {
            opacity *= Number(style(e, 'opacity'));
            if (style(e, 'display') === 'none')
                return false;
        }
        return opacity >= MinOpacity && style(element, 'visibility') === 'visible';
    }

    function rectsHold(rects, x, y) {
        const count = call(rectListLength, rects);
        for (let i = 0; i < count; ++i) {
            const rect = call(rectListItem, rects, i);
            if (x === undefined)
                return call(rectRight, rect) > call(rectLeft, rect) && call(rectBottom, rect) > call(rectTop, rect);
            if (x >= call(rectLeft, rect) && x <= call(rectRight, rect) && y >= call(rectTop, rect)
                && y <= call(rectBottom, rect))
                return true;
        }
        return false;
    }

    // Whether the link shows something at (x, y), or anywhere when x is undefined (a key pressed it).
    function shows(link, x, y) {
        if (!seen(link))
            return false;
        const walker = call(createTreeWalker, theDocument, link, NodeFilter.SHOW_ELEMENT | NodeFilter.SHOW_TEXT);
        for (let node = link; node; node = call(nextNode, walker)) {
            if (node instanceof Text) {
                const owner = call(parentElement, node);
                if (call(stringTrim, call(nodeData, node)) === '' || !owner || transparent(style(owner, 'color')))
                    continue;
                const range = call(createRange, theDocument);
                call(selectNodeContents, range, node);
                if (rectsHold(call(rangeRects, range), x, y) && seen(owner))
                    return true;
            } else if (node instanceof Element) {
                const name = call(localName, node);
                const drawn = name === 'img' || name === 'svg' || name === 'input' || name === 'object'
                    || name === 'canvas' || name === 'video' || !transparent(style(node, 'background-color'))
                    || style(node, 'background-image') !== 'none';
                if (drawn && rectsHold(call(elementRects, node), x, y) && seen(node))
                    return true;
            }
        }
        return false;
    }

    function controlUnder(link, x, y) {
        const stack = call(elementsFromPoint, theDocument, x, y);
        for (let i = 0; i < stack.length; ++i) {
            const element = stack[i];
            if (call(contains, link, element))
                continue;
            if (call(matches, element, 'input, button, select, textarea') && !call(matches, element, ':disabled'))
                return element;
        }
        return null;
    }

    function press(control) {
        const name = call(localName, control);
        if (name === 'button' || (name === 'input' && PressedControls.indexOf(call(inputType, control)) >= 0))
            call(htmlClick, control);
        else
            call(htmlFocus, control);
    }

    function guard(event) {
        const target = call(eventTarget, event);
        if (!(target instanceof Element))
            return;
        const link = call(closest, target, 'a[href]');
        if (!link)
            return;
        const byKey = call(detail, event) === 0;
        const x = call(clientX, event);
        const y = call(clientY, event);
        const control = byKey ? null : controlUnder(link, x, y);
        if (control) {
            call(preventDefault, event);
            call(stopImmediatePropagation, event);
            if (event.type === 'click')
                press(control);
            return;
        }
        if (!(byKey ? shows(link) : shows(link, x, y))) {
            call(preventDefault, event);
            call(stopImmediatePropagation, event);
            console.info('kelvo: a click on what a link does not show was not followed');
        }
    }

    call(addEventListener, theDocument, 'click', guard, true);
    call(addEventListener, theDocument, 'auxclick', guard, true);
})();
