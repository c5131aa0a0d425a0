// Every text item shown below an item, depth first, with the text it shows.
function shown(item) {
    const found = []
    const seen = new Set()
    function walk(node) {
        if (!node || seen.has(node) || node.visible === false)
            return
        seen.add(node)
        if (typeof node.plainText === "string" && node.plainText !== "")
            found.push({ item: node, text: node.plainText })
        else if (typeof node.text === "string" && node.text !== "" && node.font !== undefined)
            found.push({ item: node, text: node.text })
        const children = node.children || []
        for (let i = 0; i < children.length; ++i)
            walk(children[i])
        if (node.contentItem)
            walk(node.contentItem)
    }
    walk(item)
    return found
}

// Every non-empty text shown below an item, depth first.
function collect(item) { return shown(item).map(t => t.text) }

// The first item below an item that shows exactly this text.
function find(item, text) { return (shown(item).find(t => t.text === text) || {}).item ?? null }
