// Every non-empty text shown below an item, depth first.
function collect(item) {
    const texts = []
    const seen = new Set()
    function walk(node) {
        if (!node || seen.has(node) || node.visible === false)
            return
        seen.add(node)
        if (typeof node.plainText === "string" && node.plainText !== "")
            texts.push(node.plainText)
        else if (typeof node.text === "string" && node.text !== "" && node.font !== undefined)
            texts.push(node.text)
        const children = node.children || []
        for (let i = 0; i < children.length; ++i)
            walk(children[i])
        if (node.contentItem)
            walk(node.contentItem)
    }
    walk(item)
    return texts
}
